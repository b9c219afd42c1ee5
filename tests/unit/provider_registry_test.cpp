#include <gtest/gtest.h>

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

}  // namespace
