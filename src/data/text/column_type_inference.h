// The type a column of text really holds, chosen in one pass over all of its values: the
// narrowest of Bit, Long, BigInt, Double, Currency, Datetime, VarChar (n) and LongText that
// every value converts to, with the reason in words. Values are judged by the same parsers the
// destination's conversion uses, so a chosen type takes every value. Empty fields do not vote.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "data/text/date_order.h"

namespace kpx::data {

enum class InferredType { Bit, Long, BigInt, Double, Currency, Datetime, VarChar, LongText };

struct InferredColumn {
  InferredType type = InferredType::VarChar;
  int32_t size = 0;                  // characters of the longest value, for VarChar
  DateOrder order = DateOrder::Iso;  // for Datetime
  std::string reason;                // "1,000 values, all whole, from -3 to 98,211"
};

// The type name as a table definition and a report write it: "Long", "VarChar (19)".
std::string inferredTypeName(const InferredColumn& column);

class ColumnTypeInference {
 public:
  // One field of source row `row` (1-based, as the error log counts rows).
  void add(int64_t row, std::string_view value);
  InferredColumn result() const;

 private:
  struct Example {
    int64_t row = 0;
    std::string value;
    int64_t count = 0;  // values that fail, when this is the first of them
    void note(int64_t r, std::string_view v);
  };
  std::string counterExample(const Example& e) const;

  int64_t m_values = 0;
  int32_t m_longest = 0;
  Example m_notBit, m_notWhole, m_notNumber, m_notTwoDecimals;
  Example m_notIso, m_notDayFirst, m_notMonthFirst;
  Example m_onlyDayFirst, m_onlyMonthFirst;  // a value that decides the order
  int64_t m_min = 0, m_max = 0;
};

}  // namespace kpx::data
