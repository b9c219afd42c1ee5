// Shared strings read back the same whether they stayed in memory or went to the temporary
// file, whatever the order of the look-ups.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "data/providers/excel/shared_strings.h"

namespace kpx::data::excel {
namespace {

enum class Order { Forward, Backward, Random };

struct TableCase {
  const char* name;
  size_t budget;
  Order order;
};

void PrintTo(const TableCase& c, std::ostream* out) {
  *out << c.name;
}

class SharedStringTableRead : public ::testing::TestWithParam<TableCase> {};

TEST_P(SharedStringTableRead, GivesBackEveryStringAsAdded) {
  // Empty strings, strings longer than a cache block, and more strings than a block of ends.
  std::vector<std::string> expected;
  for (size_t i = 0; i < 10000; ++i)
    expected.push_back(i % 7 == 0      ? ""
                       : i % 2500 == 1 ? std::string(100000 + i, char('a' + i % 26))
                                       : "s" + std::to_string(i * (i % 13)));
  SharedStringTable table(GetParam().budget);
  for (const std::string& s : expected) {
    table.startString();  // in two runs, as a rich-text item arrives
    table.extend(std::string_view(s).substr(0, s.size() / 3));
    table.extend(std::string_view(s).substr(s.size() / 3));
  }
  table.finish();
  ASSERT_EQ(table.size(), expected.size());

  std::vector<size_t> order(expected.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (GetParam().order == Order::Backward) std::reverse(order.begin(), order.end());
  if (GetParam().order == Order::Random) std::shuffle(order.begin(), order.end(), std::mt19937(7));
  // Two readers taking turns keep caches of their own.
  SharedStringTable::Reader first(table), second(table);
  for (size_t n = 0; n < order.size(); ++n) {
    size_t i = order[n];
    ASSERT_EQ((n % 2 ? first : second).at(i), expected[i]) << "string " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Excel, SharedStringTableRead,
                         ::testing::Values(TableCase{"InMemory", size_t(64) << 20, Order::Random},
                                           TableCase{"SpilledAtOnce", 0, Order::Forward},
                                           TableCase{"SpilledPartway", 50000, Order::Forward},
                                           // spills as the last string of a block of ends starts
                                           TableCase{"SpilledAtBlockEnd", 253419, Order::Forward},
                                           TableCase{"SpilledBackward", 50000, Order::Backward},
                                           TableCase{"SpilledRandom", 50000, Order::Random}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kpx::data::excel
