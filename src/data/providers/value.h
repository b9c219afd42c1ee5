// A single field value as it travels from a reader to a writer. Value is a view: text,
// decimal digits, binary bytes and GUIDs point into storage owned by whoever produced the
// value (a reader's current row, a StoredValue), so the hot path copies no strings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kpx::data {

enum class ValueKind : uint8_t {
  Null,
  Boolean,
  Integer,  // 64-bit signed
  Double,
  Currency,  // 64-bit signed scaled by 10^4
  Decimal,   // exact digits as text: "-123.4500"
  Date,      // OLE Automation date: days since 1899-12-30, time as the fraction
  String,    // UTF-8
  Binary,    // raw bytes
  Guid,      // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
};

struct Value {
  ValueKind kind = ValueKind::Null;
  union {
    bool boolean;
    int64_t integer;
    double real;  // Double and Date
    int64_t currency;
  };
  std::string_view text;  // String, Decimal, Binary, Guid

  constexpr Value() : integer(0) {}
  static Value null() { return {}; }
  static Value fromBool(bool b) {
    Value v;
    v.kind = ValueKind::Boolean;
    v.boolean = b;
    return v;
  }
  static Value fromInt(int64_t i) {
    Value v;
    v.kind = ValueKind::Integer;
    v.integer = i;
    return v;
  }
  static Value fromDouble(double d) {
    Value v;
    v.kind = ValueKind::Double;
    v.real = d;
    return v;
  }
  static Value fromCurrency(int64_t scaled) {
    Value v;
    v.kind = ValueKind::Currency;
    v.currency = scaled;
    return v;
  }
  static Value fromDate(double oleDate) {
    Value v;
    v.kind = ValueKind::Date;
    v.real = oleDate;
    return v;
  }
  static Value fromString(std::string_view s) {
    Value v;
    v.kind = ValueKind::String;
    v.text = s;
    return v;
  }
  static Value fromDecimal(std::string_view digits) {
    Value v;
    v.kind = ValueKind::Decimal;
    v.text = digits;
    return v;
  }
  static Value fromBinary(std::string_view bytes) {
    Value v;
    v.kind = ValueKind::Binary;
    v.text = bytes;
    return v;
  }
  static Value fromGuid(std::string_view g) {
    Value v;
    v.kind = ValueKind::Guid;
    v.text = g;
    return v;
  }

  bool isNull() const { return kind == ValueKind::Null; }
};

// A Value that owns its text; for in-memory rows, constants and tests.
class StoredValue {
 public:
  StoredValue() = default;
  explicit StoredValue(const Value& v) { assign(v); }
  StoredValue(const StoredValue& o) { assign(o.view()); }
  StoredValue& operator=(const StoredValue& o) {
    if (this != &o) assign(o.view());
    return *this;
  }
  void assign(const Value& v) {
    m_value = v;
    m_storage.assign(v.text);
    m_value.text = m_storage;
  }
  Value view() const {
    Value v = m_value;
    v.text = m_storage;
    return v;
  }

 private:
  Value m_value;
  std::string m_storage;
};

// Appends the value as text: numbers in the shortest form that reads back the same with "."
// as the decimal point; currency and decimal with their exact digits and no trailing zeros
// after the point; booleans 1/0; dates YYYY-MM-DD, with " HH:MM:SS" unless midnight and
// ".mmm" when the time has milliseconds; null as nothing; binary as upper-case hexadecimal.
void appendText(const Value& v, std::string& out);
std::string toText(const Value& v);

// Conversions from text in the forms appendText writes (plus ISO dates with "T" and
// True/False/-1 for booleans). Each returns false when the text does not convert.
bool parseInteger(std::string_view text, int64_t& out);
bool parseDouble(std::string_view text, double& out);
// A plain decimal ("-12.5": digits, a point and digits, at most 2^53 without the point) read
// to the same double as std::from_chars reads it, at a fraction of the cost; false for any
// other text, which the long way reads.
bool parseShortDecimal(std::string_view text, double& out);
bool parseCurrency(std::string_view text, int64_t& scaled);
bool parseBoolean(std::string_view text, bool& out);
bool parseDate(std::string_view text, double& oleDate);
// Whether year-month-day names a real day of a year from 100 on, as parseDate requires.
bool isValidDay(int year, int month, int day);

// Number of Unicode code points in UTF-8 text: the length a text column's size counts.
size_t codePoints(std::string_view utf8);

// Calendar helpers for OLE Automation dates.
double oleDateFromParts(int year, int month, int day, int hour = 0, int minute = 0,
                        double second = 0);
// With `millisecond` the time is cut into whole seconds and milliseconds; without it, it is
// rounded to the second.
void oleDateToParts(double oleDate, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int* millisecond = nullptr);

}  // namespace kpx::data
