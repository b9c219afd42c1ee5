#include <gtest/gtest.h>

#include <algorithm>

#include "data/providers/memory/memory_provider.h"
#include "data/providers/provider.h"

using namespace kpx::data;

namespace {

class FindProvider : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(FindProvider, IgnoresCaseAndVersionSuffix) {
  Provider* p = findProvider(GetParam().first);
  if (GetParam().second == nullptr) {
    EXPECT_EQ(p, nullptr);
  } else {
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name(), GetParam().second);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FindProvider,
    testing::Values(std::pair{"Microsoft.Jet.OLEDB.4.0", "Microsoft.Jet.OLEDB.4.0"},
                    std::pair{"Microsoft.jet.OLEDB.4.0", "Microsoft.Jet.OLEDB.4.0"},
                    std::pair{" Microsoft.Jet.OLEDB.4.0", "Microsoft.Jet.OLEDB.4.0"},
                    std::pair{"Microsoft.Jet.OLEDB.4.0.1", "Microsoft.Jet.OLEDB.4.0"},
                    std::pair{"kpx.memory.1", "KPX.Memory"},
                    std::pair{"Microsoft.Jet.OLEDB.4", static_cast<const char*>(nullptr)},
                    std::pair{"Microsoft.Jet.OLEDB.4.0.x", static_cast<const char*>(nullptr)},
                    std::pair{"NoSuchProvider", static_cast<const char*>(nullptr)}));

TEST(Registry, ListsEveryProviderOnce) {
  auto names = installedProviders();
  EXPECT_EQ(std::count(names.begin(), names.end(), "Microsoft.Jet.OLEDB.4.0"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "KPX.Memory"), 1);
}

TEST(Registry, OpensByTheProviderProperty) {
  MemoryProvider::reset();
  MemoryProvider::database("Sales")->addTable("Orders", {{"Id", adInteger, 0, 0}});
  auto source = openDataSource(ConnectionProperties::parse("Data Source=sales;Provider=KPX.Memory.1;"));
  EXPECT_TRUE(source->hasTable("ORDERS"));
  EXPECT_FALSE(source->hasTable("Order"));
  try {
    openDataSource(ConnectionProperties::parse("Data Source=x;Provider=MSDASQL"));
    FAIL();
  } catch (const DataError& e) {
    EXPECT_STREQ(e.what(), "The provider 'MSDASQL' is not installed");
  }
  MemoryProvider::reset();
}

TEST(DataSourceDefaults, SayWhatIsNotSupported) {
  MemoryProvider::reset();
  MemoryDataSource source(MemoryProvider::database("x"));
  try {
    source.openQuery("SELECT 1");
    FAIL();
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find("does not support"), std::string::npos);
  }
  MemoryProvider::reset();
}

}  // namespace
