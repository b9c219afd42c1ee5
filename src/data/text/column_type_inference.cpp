#include "data/text/column_type_inference.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "data/providers/value.h"

namespace kpx::data {
namespace {

constexpr int32_t kLongestVarChar = 255;
constexpr size_t kShownValueBytes = 60;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

int32_t characters(std::string_view text) {
  return static_cast<int32_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// 98211 as "98,211".
std::string grouped(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -(n + 1) + uint64_t{1} : uint64_t(n));
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

// "007" is a code whose zeros matter, not the number 7.
bool hasLeadingZero(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  return text.size() > 1 && text[0] == '0' && text[1] != '.';
}

// Digits, a point and an exponent only: no "inf", "nan" or hexadecimal.
bool looksNumeric(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  return !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.') &&
         text.find_first_not_of("0123456789.eE+-") == std::string_view::npos;
}

bool twoDecimals(std::string_view text) {
  const size_t point = text.find('.');
  return point != std::string_view::npos && text.size() - point == 3 &&
         text.find_first_of("eE") == std::string_view::npos;
}

}  // namespace

void ColumnTypeInference::Example::note(int64_t r, std::string_view v) {
  if (count++ > 0) return;
  row = r;
  value = std::string(v.substr(0, kShownValueBytes));
}

std::string ColumnTypeInference::counterExample(const Example& e) const {
  return "row " + std::to_string(e.row) + " '" + e.value + "'";
}

void ColumnTypeInference::add(int64_t row, std::string_view value) {
  value = trimmed(value);
  if (value.empty()) return;
  ++m_values;
  m_longest = std::max(m_longest, characters(value));
  bool truth = false;
  if (!parseBoolean(value, truth)) m_notBit.note(row, value);
  int64_t whole = 0;
  const bool isWhole = parseInteger(value, whole) && !hasLeadingZero(value);
  if (isWhole) {
    const bool first = m_notWhole.count + 1 == m_values;
    m_min = first ? whole : std::min(m_min, whole);
    m_max = first ? whole : std::max(m_max, whole);
  } else {
    m_notWhole.note(row, value);
  }
  double real = 0;
  const bool isNumber =
      isWhole || (looksNumeric(value) && !hasLeadingZero(value) && parseDouble(value, real));
  if (!isNumber) m_notNumber.note(row, value);
  int64_t scaled = 0;
  if (!isNumber || !twoDecimals(value) || !parseCurrency(value, scaled))
    m_notTwoDecimals.note(row, value);

  double date = 0;
  const bool iso = !isNumber && parseDate(value, date);
  const bool dayFirst = iso || parseDateInOrder(value, DateOrder::DayFirst, date);
  const bool monthFirst = iso || parseDateInOrder(value, DateOrder::MonthFirst, date);
  if (!iso) m_notIso.note(row, value);
  if (!dayFirst) m_notDayFirst.note(row, value);
  if (!monthFirst) m_notMonthFirst.note(row, value);
  if (dayFirst && !monthFirst && m_onlyDayFirst.count == 0) m_onlyDayFirst.note(row, value);
  if (monthFirst && !dayFirst && m_onlyMonthFirst.count == 0) m_onlyMonthFirst.note(row, value);
}

InferredColumn ColumnTypeInference::result() const {
  InferredColumn c;
  const std::string values = grouped(m_values) + (m_values == 1 ? " value" : " values");
  const auto failing = [&](const Example& e, const char* what) {
    return grouped(e.count) + " of " + values + " are not " + what + ": " + counterExample(e);
  };
  if (m_values == 0) {
    c.size = kLongestVarChar;
    c.reason = "every field is empty, so the column stays text";
    return c;
  }
  c.size = m_longest;
  if (m_notBit.count == 0) {
    c.type = InferredType::Bit;
    c.reason = values + ", all 0/1 or true/false";
  } else if (m_notWhole.count == 0) {
    const bool fitsLong = m_min >= std::numeric_limits<int32_t>::min() &&
                          m_max <= std::numeric_limits<int32_t>::max();
    c.type = fitsLong ? InferredType::Long : InferredType::BigInt;
    c.reason = values + ", all whole, from " + grouped(m_min) + " to " + grouped(m_max) +
               (fitsLong ? "" : ", beyond Long");
  } else if (m_notNumber.count == 0) {
    c.type = m_notTwoDecimals.count == 0 ? InferredType::Currency : InferredType::Double;
    c.reason = c.type == InferredType::Currency
                   ? values + ", all numbers with exactly two decimals"
                   : values + ", all numbers; " + failing(m_notWhole, "whole");
  } else if (m_notIso.count == 0) {
    c.type = InferredType::Datetime;
    c.reason = values + ", all ISO dates (year-month-day)";
  } else if (m_notDayFirst.count == 0 && m_onlyDayFirst.count > 0) {
    c.type = InferredType::Datetime;
    c.order = DateOrder::DayFirst;
    c.reason = values + ", all day-first dates, as " + counterExample(m_onlyDayFirst) + " shows";
  } else if (m_notMonthFirst.count == 0 && m_onlyMonthFirst.count > 0) {
    c.type = InferredType::Datetime;
    c.order = DateOrder::MonthFirst;
    c.reason =
        values + ", all month-first dates, as " + counterExample(m_onlyMonthFirst) + " shows";
  } else {
    c.type = m_longest > kLongestVarChar ? InferredType::LongText : InferredType::VarChar;
    const Example& notDate =
        m_notDayFirst.count <= m_notMonthFirst.count ? m_notDayFirst : m_notMonthFirst;
    if (m_notDayFirst.count == 0 || m_notMonthFirst.count == 0)
      c.reason = values + " are dates, but none tells day from month (" + counterExample(m_notIso) +
                 "); write them year-month-day";
    else if (notDate.count < m_values && notDate.count <= m_notNumber.count)
      c.reason = failing(notDate, "dates");
    else if (m_notNumber.count < m_values)
      c.reason = failing(m_notNumber, "numbers");
    else
      c.reason = values + " of text, the longest " + std::to_string(m_longest) + " characters";
  }
  return c;
}

std::string inferredTypeName(const InferredColumn& column) {
  switch (column.type) {
    case InferredType::Bit:
      return "Bit";
    case InferredType::Long:
      return "Long";
    case InferredType::BigInt:
      return "BigInt";
    case InferredType::Double:
      return "Double";
    case InferredType::Currency:
      return "Currency";
    case InferredType::Datetime:
      return "Datetime";
    case InferredType::VarChar:
      return "VarChar (" + std::to_string(column.size) + ")";
    case InferredType::LongText:
      return "LongText";
  }
  return "VarChar";
}

}  // namespace kpx::data
