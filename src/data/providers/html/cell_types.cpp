#include "data/providers/html/cell_types.h"

#include <array>
#include <charconv>
#include <limits>

#include "data/providers/text_compare.h"

namespace kpx::data::html {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A plain number: optional sign, digits without a needless leading zero, an optional
// fraction; at most 15 significant digits, so a double holds it exactly as written.
bool isPlainNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  const size_t intStart = i;
  while (i < s.size() && isDigit(s[i])) ++i;
  const size_t intDigits = i - intStart;
  if (intDigits == 0 || (intDigits > 1 && s[intStart] == '0')) return false;
  if (i < s.size() && s[i] == '.') {
    const size_t fracStart = ++i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i == fracStart) return false;
  }
  if (i != s.size()) return false;
  size_t significant = 0;
  bool leading = true;
  for (size_t k = intStart; k < s.size(); ++k) {
    if (!isDigit(s[k])) continue;
    if (leading && s[k] == '0') continue;
    leading = false;
    ++significant;
  }
  return significant <= 15;
}

double plainNumberValue(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double d = 0;
  std::from_chars(s.data(), s.data() + s.size(), d);
  return d;
}

constexpr std::array<std::string_view, 4> kCurrencySigns{"$", "\u20AC", "\u00A3", "\u00A5"};

// The plain number of a currency text ("$12.50", "-$3", "$ -3", "12.50 €"), or nothing.
std::optional<std::string> currencyNumber(std::string_view s) {
  std::string sign;
  if (!s.empty() && s.front() == '-') {
    sign = "-";
    s.remove_prefix(1);
  }
  auto dropBlank = [](std::string_view v, bool front) {
    if (!v.empty() && (front ? v.front() : v.back()) == ' ')
      front ? v.remove_prefix(1) : v.remove_suffix(1);
    return v;
  };
  for (std::string_view sym : kCurrencySigns) {
    std::string_view rest;
    if (s.substr(0, sym.size()) == sym) {
      rest = dropBlank(s.substr(sym.size()), true);
    } else if (s.size() > sym.size() && s.substr(s.size() - sym.size()) == sym) {
      rest = dropBlank(s.substr(0, s.size() - sym.size()), false);
    } else {
      continue;
    }
    if (!sign.empty() && !rest.empty() && (rest.front() == '-' || rest.front() == '+')) return {};
    if (!isPlainNumber(rest)) return {};
    const size_t point = rest.find('.');
    if (point != std::string_view::npos && rest.size() - point - 1 > 4) return {};
    return sign + std::string(rest);
  }
  return {};
}

// Scaled by 10^4 exactly from the digits; false when it does not fit.
bool currencyValue(std::string_view s, int64_t& scaled) {
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int64_t v = 0;
  int fraction = -1;
  for (char c : s) {
    if (c == '.') {
      fraction = 0;
      continue;
    }
    if (fraction >= 0) ++fraction;
    if (v > (std::numeric_limits<int64_t>::max() - 9) / 10) return false;
    v = v * 10 + (c - '0');
  }
  for (int f = std::max(fraction, 0); f < 4; ++f) {
    if (v > std::numeric_limits<int64_t>::max() / 10) return false;
    v *= 10;
  }
  scaled = negative ? -v : v;
  return true;
}

bool readFixed(std::string_view s, size_t pos, size_t width, int& out) {
  if (pos + width > s.size()) return false;
  out = 0;
  for (size_t i = pos; i < pos + width; ++i) {
    if (!isDigit(s[i])) return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// An ISO date, optionally with a time to the minute or second.
bool isoDate(std::string_view s, double& oleDate) {
  int y, mo, d, h = 0, mi = 0, sec = 0;
  if (s.size() < 10 || !readFixed(s, 0, 4, y) || s[4] != '-' || !readFixed(s, 5, 2, mo) ||
      s[7] != '-' || !readFixed(s, 8, 2, d))
    return false;
  if (s.size() > 10) {
    if ((s[10] != ' ' && s[10] != 'T') || !readFixed(s, 11, 2, h) || s.size() < 16 ||
        s[13] != ':' || !readFixed(s, 14, 2, mi))
      return false;
    if (s.size() > 16 && (s.size() != 19 || s[16] != ':' || !readFixed(s, 17, 2, sec)))
      return false;
  }
  if (!isValidDay(y, mo, d) || h > 23 || mi > 59 || sec > 59) return false;
  oleDate = oleDateFromParts(y, mo, d, h, mi, sec);
  return true;
}

bool booleanValue(std::string_view s, bool& out) {
  if (equalsIgnoringCase(s, "true")) return out = true, true;
  if (equalsIgnoringCase(s, "false")) return out = false, true;
  return false;
}

ColumnInfo describe(const std::string& name, CellType type, bool longText) {
  ColumnInfo c;
  c.name = name;
  c.size = 0;
  c.attributes = adColFixed | adColNullable;
  switch (type) {
    case CellType::Number:
      c.type = adDouble;
      break;
    case CellType::Currency:
      c.type = adCurrency;
      break;
    case CellType::Date:
      c.type = adDate;
      break;
    case CellType::Boolean:
      c.type = adBoolean;
      break;
    case CellType::Text:
      c.type = longText ? adLongVarWChar : adVarWChar;
      c.size = longText ? kLongTextSize : 255;
      c.attributes = adColNullable;
      break;
  }
  return c;
}

Value typedValue(const std::string& text, CellType type) {
  switch (type) {
    case CellType::Number:
      return Value::fromDouble(plainNumberValue(text));
    case CellType::Currency: {
      int64_t scaled = 0;
      currencyValue(*currencyNumber(text), scaled);
      return Value::fromCurrency(scaled);
    }
    case CellType::Date: {
      double d = 0;
      isoDate(text, d);
      return Value::fromDate(d);
    }
    case CellType::Boolean: {
      bool b = false;
      booleanValue(text, b);
      return Value::fromBool(b);
    }
    case CellType::Text:
      break;
  }
  return Value::fromString(text);
}

}  // namespace

CellType classifyCell(std::string_view text) {
  if (isPlainNumber(text)) return CellType::Number;
  if (auto number = currencyNumber(text)) {
    int64_t scaled = 0;
    if (currencyValue(*number, scaled)) return CellType::Currency;
  }
  double date = 0;
  if (isoDate(text, date)) return CellType::Date;
  bool b = false;
  if (booleanValue(text, b)) return CellType::Boolean;
  return CellType::Text;
}

TypedRows typeColumns(const std::vector<std::string>& names,
                      const std::vector<std::vector<std::optional<std::string>>>& cells,
                      size_t firstRow) {
  TypedRows out;
  std::vector<CellType> types(names.size(), CellType::Text);
  for (size_t c = 0; c < names.size(); ++c) {
    std::optional<CellType> common;
    bool longText = false;
    for (size_t r = firstRow; r < cells.size(); ++r) {
      const auto& cell = cells[r][c];
      if (!cell) continue;
      longText = longText || codePoints(*cell) > 255;
      const CellType t = classifyCell(*cell);
      common = (!common || *common == t) ? t : CellType::Text;
    }
    types[c] = common.value_or(CellType::Text);
    out.columns.push_back(describe(names[c], types[c], longText));
  }
  out.rows.reserve(cells.size() - std::min(firstRow, cells.size()));
  for (size_t r = firstRow; r < cells.size(); ++r) {
    std::vector<StoredValue> row(names.size());
    for (size_t c = 0; c < names.size(); ++c)
      if (cells[r][c]) row[c].assign(typedValue(*cells[r][c], types[c]));
    out.rows.push_back(std::move(row));
  }
  return out;
}

}  // namespace kpx::data::html
