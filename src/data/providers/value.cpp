#include "data/providers/value.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian), after H. Hinnant's algorithm.
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// 1899-12-30, day 0 of OLE Automation dates, counted from 1970-01-01.
constexpr int64_t kOleEpoch = -25569;

bool isLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The powers of ten that doubles hold exactly.
constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kTensCount = int(sizeof kTens / sizeof kTens[0]);

// Appends the number whose digits are `digits` (no trailing zero unless it is the only one)
// times 10^-k as std::to_chars writes it: without an exponent unless one makes it shorter. The
// numbers given lie between 1e-9 and 9e15, so an exponent has two digits.
void appendDigits(bool negative, std::string_view digits, int k, std::string& out) {
  const int n = int(digits.size());
  const int exponent = n - k - 1;  // of the first digit
  const int plain = k <= 0 ? n - k : k < n ? n + 1 : k + 2;
  const int scientific = n + (n > 1) + 4;
  if (negative) out.push_back('-');
  if (plain <= scientific) {
    if (k <= 0) {
      out.append(digits).append(size_t(-k), '0');
    } else if (k < n) {
      out.append(digits.substr(0, size_t(n - k))).push_back('.');
      out.append(digits.substr(size_t(n - k)));
    } else {
      out.append("0.").append(size_t(k - n), '0').append(digits);
    }
    return;
  }
  out.push_back(digits[0]);
  if (n > 1) out.append(".").append(digits.substr(1));
  out.append(exponent < 0 ? "e-" : "e+");
  const int e = exponent < 0 ? -exponent : exponent;
  out.push_back(char('0' + e / 10));
  out.push_back(char('0' + e % 10));
}

// Appends `v` as std::to_chars writes it when v is a whole number under 9e15 other than 0, or
// when its shortest form has at most 14 digits and v is at least 1e-9; false, having appended
// nothing, otherwise. For a fraction, the first k for which round(v * 10^k) / 10^k gives v back
// is the shortest form's count of decimals: with 14 digits the product is within a fortieth of
// the digits it rounds to, and no other decimal of as many digits reads as v. This costs a
// fraction of the general search, and a copy writes millions of numbers.
bool appendShortDouble(double v, std::string& out) {
  const double a = std::fabs(v);
  char digits[24];
  if (a == std::trunc(a)) {
    if (!(a >= 1 && a < 9e15)) return false;
    const char* end = std::to_chars(digits, digits + sizeof digits, uint64_t(a)).ptr;
    const char* last = end;
    while (last[-1] == '0') --last;
    appendDigits(v < 0, std::string_view(digits, size_t(last - digits)), int(last - end), out);
    return true;
  }
  if (!(a >= 1e-9 && a < 1e14)) return false;
  for (int k = 1; k < kTensCount; ++k) {
    const double scaled = a * kTens[k];
    if (scaled >= 1e14) return false;
    const double m = std::nearbyint(scaled);
    if (m / kTens[k] != a) continue;
    const char* end = std::to_chars(digits, digits + sizeof digits, uint64_t(m)).ptr;
    appendDigits(v < 0, std::string_view(digits, size_t(end - digits)), k, out);
    return true;
  }
  return false;
}

// Writes `value` with at least `width` digits at `o`; returns the end. A date writes six of
// these, and a copy to a text file writes millions of dates.
char* putPadded(char* o, int value, int width) {
  if (value >= 0 && value < 100 && width == 2) {
    o[0] = char('0' + value / 10);
    o[1] = char('0' + value % 10);
    return o + 2;
  }
  char buf[16];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value);
  if (value < 0) *o++ = '-';
  for (int n = static_cast<int>(end - buf); n < width; ++n) *o++ = '0';
  std::memcpy(o, buf, size_t(end - buf));
  return o + (end - buf);
}

// Appends sign, integer part and fractional digits of an exact decimal with the fractional
// part's trailing zeros (and a then bare point) dropped.
void appendExactDigits(std::string_view digits, std::string& out) {
  const size_t point = digits.find('.');
  if (point != std::string_view::npos) {
    size_t end = digits.size();
    while (end > point + 1 && digits[end - 1] == '0') --end;
    if (end == point + 1) end = point;
    digits = digits.substr(0, end);
  }
  // "-0" and "-0.000" are plain zero.
  if (digits.size() >= 2 && digits[0] == '-' &&
      digits.find_first_not_of("0", 1) == std::string_view::npos) {
    digits.remove_prefix(1);
  }
  out.append(digits);
}

void appendCurrency(int64_t scaled, std::string& out) {
  const bool negative = scaled < 0;
  // Unsigned arithmetic keeps the most negative value exact.
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  const uint64_t whole = magnitude / 10000;
  uint64_t fraction = magnitude % 10000;
  if (negative) out.push_back('-');
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, whole);
  out.append(buf, end);
  if (fraction != 0) {
    char frac[4];
    for (int i = 3; i >= 0; --i) {
      frac[i] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    int len = 4;
    while (frac[len - 1] == '0') --len;
    out.push_back('.');
    out.append(frac, len);
  }
}

void appendDate(double oleDate, std::string& out) {
  int y, mo, d, h, mi, s, ms;
  oleDateToParts(oleDate, y, mo, d, h, mi, s, &ms);
  char buf[48];
  char* o = putPadded(buf, y, 4);
  *o++ = '-';
  o = putPadded(o, mo, 2);
  *o++ = '-';
  o = putPadded(o, d, 2);
  if (h != 0 || mi != 0 || s != 0 || ms != 0) {
    *o++ = ' ';
    o = putPadded(o, h, 2);
    *o++ = ':';
    o = putPadded(o, mi, 2);
    *o++ = ':';
    o = putPadded(o, s, 2);
  }
  if (ms != 0) {
    *o++ = '.';
    o = putPadded(o, ms, 3);
  }
  out.append(buf, o);
}

// Reads exactly `width` digits (width 0: one or more) starting at `pos`.
bool readNumber(std::string_view s, size_t& pos, size_t minDigits, size_t maxDigits, int& out) {
  size_t n = 0;
  int64_t v = 0;
  while (pos + n < s.size() && n < maxDigits && s[pos + n] >= '0' && s[pos + n] <= '9') {
    v = v * 10 + (s[pos + n] - '0');
    ++n;
  }
  if (n < minDigits) return false;
  pos += n;
  out = static_cast<int>(v);
  return true;
}

// Parses "HH:MM[:SS[.fff]]" from `pos` to the end of `s`.
bool parseTime(std::string_view s, size_t pos, int& h, int& mi, double& sec) {
  int whole = 0;
  if (!readNumber(s, pos, 1, 2, h) || pos >= s.size() || s[pos] != ':') return false;
  ++pos;
  if (!readNumber(s, pos, 2, 2, mi)) return false;
  sec = 0;
  if (pos < s.size() && s[pos] == ':') {
    ++pos;
    if (!readNumber(s, pos, 2, 2, whole)) return false;
    sec = whole;
    if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
      ++pos;
      double scale = 0.1;
      size_t start = pos;
      while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        sec += (s[pos] - '0') * scale;
        scale /= 10;
        ++pos;
      }
      if (pos == start) return false;
    }
  }
  if (pos < s.size() && s[pos] == 'Z') ++pos;
  return pos == s.size() && h <= 23 && mi <= 59 && whole <= 59;
}

}  // namespace

double oleDateFromParts(int year, int month, int day, int hour, int minute, double second) {
  const double days = static_cast<double>(daysFromCivil(year, month, day) - kOleEpoch);
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before the epoch the day counts down while the time fraction still counts forward.
  return days < 0 ? days - time : days + time;
}

void oleDateToParts(double oleDate, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int* millisecond) {
  if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3.0e6) oleDate = 0;
  double dayPart = std::trunc(oleDate);
  const int64_t perSecond = millisecond ? 1000 : 1;
  int64_t ticks = std::llround(std::fabs(oleDate - dayPart) * 86400.0 * double(perSecond));
  int64_t days = static_cast<int64_t>(dayPart);
  if (ticks >= 86400 * perSecond) {
    ticks -= 86400 * perSecond;
    ++days;
  }
  const int64_t seconds = ticks / perSecond;
  if (millisecond) *millisecond = static_cast<int>(ticks % perSecond);
  civilFromDays(days + kOleEpoch, year, month, day);
  hour = static_cast<int>(seconds / 3600);
  minute = static_cast<int>(seconds / 60 % 60);
  second = static_cast<int>(seconds % 60);
}

void appendText(const Value& v, std::string& out) {
  char buf[32];
  switch (v.kind) {
    case ValueKind::Null:
      return;
    case ValueKind::Boolean:
      out.push_back(v.boolean ? '1' : '0');
      return;
    case ValueKind::Integer: {
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v.integer);
      out.append(buf, end);
      return;
    }
    case ValueKind::Double: {
      if (appendShortDouble(v.real, out)) return;
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v.real);
      out.append(buf, end);
      return;
    }
    case ValueKind::Currency:
      appendCurrency(v.currency, out);
      return;
    case ValueKind::Decimal:
      appendExactDigits(v.text, out);
      return;
    case ValueKind::Date:
      appendDate(v.real, out);
      return;
    case ValueKind::String:
    case ValueKind::Guid:
      out.append(v.text);
      return;
    case ValueKind::Binary: {
      static constexpr char hex[] = "0123456789ABCDEF";
      for (unsigned char c : v.text) {
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 15]);
      }
      return;
    }
  }
}

std::string toText(const Value& v) {
  std::string out;
  appendText(v, out);
  return out;
}

namespace {

// Drops one leading '+': the number parsers take a '-' of their own, so "+-2" must not pass as
// -2.
bool withoutPlusSign(std::string_view& text) {
  if (text.empty() || text.front() != '+') return true;
  text.remove_prefix(1);
  return text.empty() || text.front() != '-';
}

}  // namespace

bool parseInteger(std::string_view text, int64_t& out) {
  text = trim(text);
  if (!withoutPlusSign(text) || text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// The digits and the power of ten are both exact doubles, so their quotient is rounded once,
// as a correct reading of the decimal must be.
bool parseShortDecimal(std::string_view text, double& out) {
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  p += negative;
  uint64_t digits = 0;
  int count = 0;
  auto readDigits = [&] {
    const char* from = p;
    for (; p < end && static_cast<unsigned>(*p - '0') < 10; ++p)
      digits = digits * 10 + static_cast<uint64_t>(*p - '0');
    count += static_cast<int>(p - from);
    return static_cast<int>(p - from);
  };
  if (readDigits() == 0) return false;
  int decimals = 0;
  if (p < end && *p == '.') {
    ++p;
    if ((decimals = readDigits()) == 0) return false;
  }
  if (p != end || count > 19 || digits > (uint64_t(1) << 53) || decimals >= kTensCount)
    return false;
  const double v = static_cast<double>(digits) / kTens[decimals];
  out = negative ? -v : v;
  return true;
}

bool parseDouble(std::string_view text, double& out) {
  text = trim(text);
  if (parseShortDecimal(text, out)) return true;
  if (!withoutPlusSign(text) || text.empty()) return false;
  auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), out, std::chars_format::general);
  return ec == std::errc() && end == text.data() + text.size();
}

bool parseCurrency(std::string_view text, int64_t& scaled) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  if (text.find_first_of("eE") != std::string_view::npos) {
    // Exponent forms go through a double, which is exact enough at four decimals.
    double d;
    if (text.front() == '-' || !parseDouble(text, d)) return false;
    const double x = std::nearbyint(d * 10000.0);
    if (!(std::fabs(x) < 9.2e18)) return false;
    scaled = static_cast<int64_t>(negative ? -x : x);
    return true;
  }
  constexpr uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t magnitude = 0;
  size_t i = 0, intDigits = 0, fracDigits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++intDigits) {
    if (magnitude > (limit - 9) / 10) return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  if (magnitude > limit / 10000) return false;
  magnitude *= 10000;
  uint64_t scale = 1000;
  int roundDigit = -1;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++fracDigits) {
      if (scale > 0) {
        magnitude += static_cast<uint64_t>(text[i] - '0') * scale;
        scale /= 10;
      } else if (roundDigit < 0) {
        roundDigit = text[i] - '0';
      }
    }
  }
  if (i != text.size() || intDigits + fracDigits == 0) return false;
  if (roundDigit >= 5) ++magnitude;  // half away from zero on the fifth decimal
  if (magnitude > limit) return false;
  scaled = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

size_t codePoints(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

bool parseBoolean(std::string_view text, bool& out) {
  text = trim(text);
  if (text == "1" || text == "-1" || equalsIgnoringCase(text, "true")) {
    out = true;
    return true;
  }
  if (text == "0" || equalsIgnoringCase(text, "false")) {
    out = false;
    return true;
  }
  return false;
}

bool isValidDay(int year, int month, int day) {
  return year >= 100 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

bool parseDate(std::string_view text, double& oleDate) {
  text = trim(text);
  size_t pos = 0;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  double sec = 0;
  if (text.size() >= 3 && (text[1] == ':' || text[2] == ':')) {
    // A time of day alone is a time on day 0, as Jet stores it.
    if (!parseTime(text, 0, h, mi, sec)) return false;
    oleDate = oleDateFromParts(1899, 12, 30, h, mi, sec);
    return true;
  }
  if (!readNumber(text, pos, 4, 4, y) || pos >= text.size() || text[pos] != '-') return false;
  ++pos;
  if (!readNumber(text, pos, 1, 2, mo) || pos >= text.size() || text[pos] != '-') return false;
  ++pos;
  if (!readNumber(text, pos, 1, 2, d)) return false;
  if (!isValidDay(y, mo, d)) return false;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return false;
    ++pos;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (!parseTime(text, pos, h, mi, sec)) return false;
  }
  oleDate = oleDateFromParts(y, mo, d, h, mi, sec);
  return true;
}

}  // namespace kpx::data
