#include "data/providers/value_conversion.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kpx::data {
namespace {

enum class Target { Any, Integer, Double, Currency, Decimal, Date, Boolean, Guid, Binary, Text };

Target targetOf(int32_t type) {
  switch (type) {
    case adSmallInt:
    case adInteger:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
    case adUnsignedInt:
    case adBigInt:
    case adUnsignedBigInt:
      return Target::Integer;
    case adSingle:
    case adDouble:
      return Target::Double;
    case adCurrency:
      return Target::Currency;
    case adNumeric:
      return Target::Decimal;
    case adDate:
    case adDBDate:
    case adDBTimeStamp:
      return Target::Date;
    case adBoolean:
      return Target::Boolean;
    case adGUID:
      return Target::Guid;
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
      return Target::Binary;
    case adChar:
    case adWChar:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar:
      return Target::Text;
    default:
      return Target::Any;
  }
}

bool integerRange(int32_t type, int64_t& lo, int64_t& hi) {
  switch (type) {
    case adSmallInt:
      lo = INT16_MIN;
      hi = INT16_MAX;
      return true;
    case adInteger:
      lo = INT32_MIN;
      hi = INT32_MAX;
      return true;
    case adTinyInt:
      lo = INT8_MIN;
      hi = INT8_MAX;
      return true;
    case adUnsignedTinyInt:
      lo = 0;
      hi = UINT8_MAX;
      return true;
    case adUnsignedSmallInt:
      lo = 0;
      hi = UINT16_MAX;
      return true;
    case adUnsignedInt:
      lo = 0;
      hi = UINT32_MAX;
      return true;
    case adUnsignedBigInt:
      lo = 0;
      hi = INT64_MAX;
      return true;
    default:
      lo = INT64_MIN;
      hi = INT64_MAX;
      return true;
  }
}

// A number as a double, for the kinds that are numbers; false for the others.
bool numberOf(const Value& in, double& out) {
  switch (in.kind) {
    case ValueKind::Boolean:
      out = in.boolean ? -1 : 0;
      return true;
    case ValueKind::Integer:
      out = static_cast<double>(in.integer);
      return true;
    case ValueKind::Double:
    case ValueKind::Date:
      out = in.real;
      return true;
    case ValueKind::Currency:
      out = static_cast<double>(in.currency) / 10000.0;
      return true;
    case ValueKind::Decimal:
    case ValueKind::String:
      return parseDouble(in.text, out);
    default:
      return false;
  }
}

// Rounds half to even into an int64 (as VB's CLng does); false when out of range.
bool roundToInteger(double d, int64_t& out) {
  if (!std::isfinite(d)) return false;
  const double r = std::nearbyint(d);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
  out = static_cast<int64_t>(r);
  return true;
}

bool toInteger(const Value& in, int32_t type, int64_t& out) {
  if (in.kind == ValueKind::Integer) {
    out = in.integer;
  } else if (in.kind == ValueKind::Currency) {
    // Exact for every currency value: half to even on the scaled integer.
    int64_t q = in.currency / 10000, r = in.currency % 10000;
    if (r > 5000 || (r == 5000 && (q & 1))) ++q;
    if (r < -5000 || (r == -5000 && (q & 1))) --q;
    out = q;
  } else if ((in.kind == ValueKind::String || in.kind == ValueKind::Decimal) &&
             parseInteger(in.text, out)) {
  } else {
    double d;
    if (!numberOf(in, d) || !roundToInteger(d, out)) return false;
  }
  int64_t lo, hi;
  integerRange(type, lo, hi);
  return out >= lo && out <= hi;
}

bool toCurrency(const Value& in, int64_t& out) {
  switch (in.kind) {
    case ValueKind::Currency:
      out = in.currency;
      return true;
    case ValueKind::Integer:
      if (in.integer > INT64_MAX / 10000 || in.integer < INT64_MIN / 10000) return false;
      out = in.integer * 10000;
      return true;
    case ValueKind::Decimal:
    case ValueKind::String:
      return parseCurrency(in.text, out);
    default: {
      double d;
      return numberOf(in, d) && roundToInteger(d * 10000.0, out);
    }
  }
}

bool isDecimalText(std::string_view s) {
  size_t i = 0, digits = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++digits;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++digits;
  }
  return digits > 0 && i == s.size();
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool toDecimal(const Value& in, std::string& scratch) {
  scratch.clear();
  switch (in.kind) {
    case ValueKind::Decimal:
    case ValueKind::String: {
      std::string_view t = trimBlanks(in.text);
      if (!t.empty() && t.front() == '+') t.remove_prefix(1);
      if (isDecimalText(t)) {
        scratch.assign(t);
        return true;
      }
      double d;
      if (!parseDouble(t, d) || !std::isfinite(d)) return false;
      char buf[400];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
      if (ec != std::errc()) return false;
      scratch.assign(buf, end);
      return true;
    }
    case ValueKind::Double: {
      if (!std::isfinite(in.real)) return false;
      char buf[400];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, in.real, std::chars_format::fixed);
      if (ec != std::errc()) return false;
      scratch.assign(buf, end);
      return true;
    }
    case ValueKind::Boolean:
      scratch = in.boolean ? "-1" : "0";
      return true;
    case ValueKind::Integer:
    case ValueKind::Currency:
      appendText(in, scratch);
      return true;
    default:
      return false;
  }
}

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Accepts a GUID with or without braces and writes it as "{XXXXXXXX-…}" in upper case.
bool toGuid(std::string_view t, std::string& scratch) {
  t = trimBlanks(t);
  if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
  if (t.size() != 36) return false;
  scratch.assign("{");
  for (size_t i = 0; i < 36; ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? t[i] != '-' : !isHex(t[i])) return false;
    scratch.push_back(t[i] >= 'a' && t[i] <= 'f' ? static_cast<char>(t[i] - 'a' + 'A') : t[i]);
  }
  scratch.push_back('}');
  return true;
}

bool isFixedTextLimit(int32_t type) {
  return type == adChar || type == adWChar || type == adVarChar || type == adVarWChar;
}

}  // namespace

bool convertValue(const Value& in, const ColumnInfo& column, Value& out, std::string& scratch) {
  out = in;
  if (in.isNull()) return true;
  switch (targetOf(column.type)) {
    case Target::Any:
      return true;
    case Target::Integer: {
      int64_t i;
      if (!toInteger(in, column.type, i)) return false;
      out = Value::fromInt(i);
      return true;
    }
    case Target::Double: {
      double d;
      if (!numberOf(in, d)) return false;
      if (column.type == adSingle && std::isfinite(d) &&
          std::fabs(d) > std::numeric_limits<float>::max()) {
        return false;
      }
      out = Value::fromDouble(d);
      return true;
    }
    case Target::Currency: {
      int64_t c;
      if (!toCurrency(in, c)) return false;
      out = Value::fromCurrency(c);
      return true;
    }
    case Target::Decimal:
      if (!toDecimal(in, scratch)) return false;
      out = Value::fromDecimal(scratch);
      return true;
    case Target::Date: {
      double d;
      if (in.kind == ValueKind::String) {
        if (!parseDate(in.text, d)) return false;
      } else if (in.kind == ValueKind::Boolean || !numberOf(in, d) || !std::isfinite(d)) {
        return false;
      }
      out = Value::fromDate(d);
      return true;
    }
    case Target::Boolean: {
      bool b;
      if (in.kind == ValueKind::String) {
        if (!parseBoolean(in.text, b)) return false;
      } else if (in.kind == ValueKind::Boolean) {
        b = in.boolean;
      } else {
        double d;
        if (!numberOf(in, d)) return false;
        b = d != 0;
      }
      out = Value::fromBool(b);
      return true;
    }
    case Target::Guid:
      if ((in.kind != ValueKind::Guid && in.kind != ValueKind::String) ||
          !toGuid(in.text, scratch)) {
        return false;
      }
      out = Value::fromGuid(scratch);
      return true;
    case Target::Binary:
      if (in.kind != ValueKind::Binary && in.kind != ValueKind::String) return false;
      out = Value::fromBinary(in.text);
      return true;
    case Target::Text:
      if (in.kind == ValueKind::String) {
        out = in;
      } else {
        scratch.clear();
        appendText(in, scratch);
        out = Value::fromString(scratch);
      }
      return !(isFixedTextLimit(column.type) && column.size > 0 &&
               out.text.size() > static_cast<size_t>(column.size) &&
               codePoints(out.text) > static_cast<size_t>(column.size));
  }
  return false;
}

Value convertForColumn(const Value& in, const ColumnInfo& column, std::string& scratch) {
  Value out;
  if (convertValue(in, column, out, scratch)) return out;
  std::string text = toText(in);
  // Text only fails by its length; saying so tells the user the column, not the value, is at
  // fault.
  if (targetOf(column.type) == Target::Text) {
    const size_t length = codePoints(text);
    const size_t shown = text.size() > 50 ? 50 : text.size();
    size_t cut = shown;
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
    throw RowError("The value '" + text.substr(0, cut) + (cut < text.size() ? "…" : "") + "' has " +
                       std::to_string(length) + " characters: too long for column '" + column.name +
                       "' of " + std::to_string(column.size) + " characters",
                   column.name, text);
  }
  throw RowError(
      "The value '" + text + "' does not convert to the type of column '" + column.name + "'",
      column.name, text);
}

}  // namespace kpx::data
