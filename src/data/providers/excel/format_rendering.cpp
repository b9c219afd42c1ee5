#include "data/providers/excel/format_rendering.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace kpx::data::excel {
namespace {

enum class Part : uint8_t { Literal, Digit, Point, Comma, Percent, Exponent, Date, AmPm, General };

struct Token {
  Part part;
  std::string text;  // Literal: the text; Date: the letters, lower case; Exponent: "+" or "-"
};

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(uint8_t(s[i])) != prefix[i]) return false;
  return true;
}

// The sections of a code split at the semicolons that are not quoted, escaped or bracketed.
std::vector<std::string_view> sectionsOf(std::string_view code) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"' || c == '[') {
      size_t end = code.find(c == '"' ? '"' : ']', i + 1);
      i = end == std::string_view::npos ? code.size() : end;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == ';') {
      out.push_back(code.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(code.substr(std::min(start, code.size())));
  return out;
}

std::vector<Token> tokensOf(std::string_view s) {
  std::vector<Token> out;
  auto literal = [&out](std::string_view text) {
    if (!out.empty() && out.back().part == Part::Literal)
      out.back().text += text;
    else
      out.push_back({Part::Literal, std::string(text)});
  };
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    char lower = char(std::tolower(uint8_t(c)));
    if (c == '"') {
      size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) end = s.size();
      literal(s.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == '\\') {
      if (i + 1 < s.size()) literal(s.substr(++i, 1));
    } else if (c == '_') {
      ++i;
      literal(" ");  // room for the width of the next character
    } else if (c == '*') {
      ++i;  // fills the cell's width, which text has not got
    } else if (c == '[') {
      size_t end = s.find(']', i + 1);
      if (end == std::string_view::npos) end = s.size();
      std::string_view inside = s.substr(i + 1, end - i - 1);
      if (!inside.empty() && inside[0] == '$') {
        literal(inside.substr(1, inside.find('-') - 1));  // [$€-410]: the symbol, not the locale
      } else if (!inside.empty() && std::strchr("hHmMsS", inside[0])) {
        std::string letters;
        for (char l : inside) letters += char(std::tolower(uint8_t(l)));
        out.push_back({Part::Date, "[" + letters});  // elapsed time, not the clock
      }
      i = end;  // colours and conditions change nothing in text
    } else if (c == '0' || c == '#' || c == '?') {
      out.push_back({Part::Digit, std::string(1, c)});
    } else if (c == '.') {
      out.push_back({Part::Point, {}});
    } else if (c == ',') {
      out.push_back({Part::Comma, {}});
    } else if (c == '%') {
      out.push_back({Part::Percent, {}});
    } else if (lower == 'e' && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      out.push_back({Part::Exponent, std::string(1, s[++i])});
    } else if (startsWithNoCase(s.substr(i), "am/pm") || startsWithNoCase(s.substr(i), "a/p")) {
      bool full = startsWithNoCase(s.substr(i), "am/pm");
      out.push_back({Part::AmPm, full ? "am/pm" : "a/p"});
      i += full ? 4 : 2;
    } else if (startsWithNoCase(s.substr(i), "general")) {
      out.push_back({Part::General, {}});
      i += 6;
    } else if (std::strchr("ymdhs", lower) && lower != 0) {
      size_t end = i;
      while (end < s.size() && std::tolower(uint8_t(s[end])) == lower) ++end;
      out.push_back({Part::Date, std::string(end - i, lower)});
      i = end - 1;
    } else if (c != '@') {
      literal(s.substr(i, 1));
    }
  }
  return out;
}

// At most the 15 significant digits a workbook keeps, without trailing zeros.
std::string general(double value) {
  std::array<char, 32> buf;
  auto end =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15).ptr;
  std::string out(buf.data(), end);
  if (size_t e = out.find('e'); e != std::string::npos) out[e] = 'E';
  return out;
}

// `value` (not negative) with `decimals` decimals. The workbook keeps 15 significant digits and
// shows halves rounded away from zero (2.5 as "3"), so the rounding is done on those digits
// rather than on the binary value.
std::string fixed(double value, int decimals) {
  std::array<char, 32> buf;
  auto end =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific, 14)
          .ptr;
  std::string_view sci(buf.data(), size_t(end - buf.data()));
  const size_t e = sci.find('e');
  std::string digits = std::string(1, sci[0]) + std::string(sci.substr(2, e - 2));
  // value * 10^decimals is digits * 10^shift. The exponent is read within the view: the buffer
  // is not terminated, and whatever follows it must not become more exponent digits.
  int exponent = 0;
  const char* from = sci.data() + e + 1;
  if (*from == '+') ++from;
  std::from_chars(from, sci.data() + sci.size(), exponent);
  const int shift = exponent - 14 + decimals;
  std::string n;
  if (shift >= 0) {
    n = digits + std::string(size_t(shift), '0');
  } else if (15 + shift >= 0) {
    const size_t cut = size_t(15 + shift);
    n = "0" + digits.substr(0, cut);
    if (cut < digits.size() && digits[cut] >= '5') {
      size_t i = n.size();
      while (n[--i] == '9') n[i] = '0';
      ++n[i];
    }
  } else {
    n = "0";
  }
  n.erase(0, std::min(n.find_first_not_of('0'), n.size()));
  if (n.size() < size_t(decimals) + 1) n.insert(0, size_t(decimals) + 1 - n.size(), '0');
  const size_t point = n.size() - size_t(decimals);
  return decimals > 0 ? n.substr(0, point) + "." + n.substr(point) : n;
}

std::string twoDigits(int64_t n) {
  return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string renderDate(double value, const std::vector<Token>& tokens) {
  if (!(value >= 0 && value < 2958466)) return general(value);  // before 1900 or after 9999
  const int64_t total = std::llround(value * 86400);
  const int64_t days = total / 86400, seconds = total % 86400;
  // Year, month and day of a day count (days from 1 March of year 0, in 400-year eras).
  const int64_t z = days - 25569 + 719468;  // day 0 is 30 December 1899
  const int64_t era = z / 146097, doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153, day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9, year = yoe + era * 400 + (month <= 2);
  const int64_t hour = seconds / 3600, minute = seconds / 60 % 60, second = seconds % 60;

  bool twelve = false;
  for (const Token& t : tokens) twelve = twelve || t.part == Part::AmPm;
  std::string out;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.part == Part::AmPm) {
      const bool pm = hour >= 12;
      out += t.text == "am/pm" ? (pm ? "PM" : "AM") : (pm ? "P" : "A");
      continue;
    }
    if (t.part != Part::Date) {
      if (t.part == Part::Literal) out += t.text;
      if (t.part == Part::Point) out += '.';
      if (t.part == Part::Comma) out += ',';
      if (t.part == Part::Digit) out += '0';  // tenths of a second; seconds are whole here
      continue;
    }
    const std::string& l = t.text;
    if (l[0] == '[') {
      int64_t n = l[1] == 'h' ? days * 24 + hour : l[1] == 'm' ? total / 60 : total;
      out += l.size() > 2 ? twoDigits(n) : std::to_string(n);
      continue;
    }
    // An m right after an hour or right before a second counts minutes, not months.
    bool minutes = false;
    if (l[0] == 'm' && l.size() <= 2) {
      for (size_t k = i; k-- > 0;)
        if (tokens[k].part == Part::Date) {
          minutes = tokens[k].text.back() == 'h';
          break;
        }
      for (size_t k = i + 1; k < tokens.size() && !minutes; ++k)
        if (tokens[k].part == Part::Date) {
          minutes = tokens[k].text[0] == 's' || tokens[k].text == "[s" || tokens[k].text == "[ss";
          break;
        }
    }
    auto number = [&](int64_t n) { out += l.size() >= 2 ? twoDigits(n) : std::to_string(n); };
    switch (l[0]) {
      case 'y':
        out += l.size() <= 2 ? twoDigits(year % 100) : std::to_string(year);
        break;
      case 'm':
        if (minutes)
          number(minute);
        else if (l.size() <= 2)
          number(month);
        else
          out += l.size() == 3   ? std::string(kMonths[month - 1], 3)
                 : l.size() == 4 ? std::string(kMonths[month - 1])
                                 : std::string(1, kMonths[month - 1][0]);
        break;
      case 'd':
        if (l.size() <= 2)
          number(day);
        else
          out += l.size() == 3 ? std::string(kDays[(days + 6) % 7], 3) : kDays[(days + 6) % 7];
        break;
      case 'h':
        number(twelve ? (hour % 12 == 0 ? 12 : hour % 12) : hour);
        break;
      case 's':
        number(second);
        break;
    }
  }
  return out;
}

std::string renderDigits(double value, const std::vector<Token>& tokens) {
  // Where the placeholders fall: before the point, after it, or in the exponent.
  int intZeros = 0, decimals = 0, decimalZeros = 0, expDigits = 0, percents = 0, scale = 0;
  bool point = false, grouping = false, exponent = false;
  std::string expSign;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.part == Part::Percent) ++percents;
    if (t.part == Part::Point && !exponent) point = true;
    if (t.part == Part::Exponent) exponent = true, expSign = t.text;
    if (t.part == Part::Digit) {
      if (exponent)
        ++expDigits;
      else if (point)
        ++decimals, decimalZeros += t.text == "0";
      else
        intZeros += t.text == "0";
    }
    if (t.part == Part::Comma && !point && !exponent) {
      // A comma between placeholders groups thousands; one after the last divides by 1000.
      bool digitFollows = false;
      for (size_t k = i + 1; k < tokens.size() && tokens[k].part != Part::Point; ++k)
        if (tokens[k].part == Part::Digit) digitFollows = true;
      if (digitFollows)
        grouping = true;
      else
        ++scale;
    }
  }
  double v = std::fabs(value) * std::pow(100.0, percents) / std::pow(1000.0, scale);
  int exp10 = 0;
  if (exponent && v != 0) {
    exp10 = int(std::floor(std::log10(v)));
    v /= std::pow(10.0, exp10);
    std::string mantissa = fixed(v, decimals);
    if (mantissa.find('.') == 2 || mantissa.size() == 2) v /= 10, ++exp10;  // 9.99 became 10.0
  }
  std::string digits = fixed(v, decimals);
  std::string whole = digits.substr(0, digits.find('.'));
  std::string fraction = point && decimals > 0 ? digits.substr(whole.size() + 1) : "";
  while (int(fraction.size()) > decimalZeros && fraction.back() == '0') fraction.pop_back();
  if (whole == "0" && intZeros == 0) whole.clear();
  if (int(whole.size()) < intZeros) whole.insert(0, intZeros - whole.size(), '0');
  if (grouping)
    for (int at = int(whole.size()) - 3; at > 0; at -= 3) whole.insert(size_t(at), ",");
  std::string number = whole + (point ? "." + fraction : "");
  if (exponent) {
    std::string e = std::to_string(std::abs(exp10));
    if (int(e.size()) < expDigits) e.insert(0, expDigits - e.size(), '0');
    number += std::string("E") + (exp10 < 0 ? "-" : expSign == "+" ? "+" : "") + e;
  }
  const bool zero = number.find_first_of("123456789") == std::string::npos;
  std::string out = value < 0 && !zero ? "-" : "";
  bool placed = false;
  for (const Token& t : tokens) {
    if (t.part == Part::Literal) out += t.text;
    if (t.part == Part::Percent) out += '%';
    if (t.part == Part::Digit && !placed) out += number, placed = true;
  }
  return out;
}

}  // namespace

std::string builtInFormatCode(uint32_t id) {
  static const std::map<uint32_t, const char*> codes = {
      {0, "General"},
      {1, "0"},
      {2, "0.00"},
      {3, "#,##0"},
      {4, "#,##0.00"},
      {5, "$#,##0_);($#,##0)"},
      {6, "$#,##0_);[Red]($#,##0)"},
      {7, "$#,##0.00_);($#,##0.00)"},
      {8, "$#,##0.00_);[Red]($#,##0.00)"},
      {9, "0%"},
      {10, "0.00%"},
      {11, "0.00E+00"},
      {12, "# ?/?"},
      {13, "# ?\?/?\?"},
      {14, "m/d/yyyy"},
      {15, "d-mmm-yy"},
      {16, "d-mmm"},
      {17, "mmm-yy"},
      {18, "h:mm AM/PM"},
      {19, "h:mm:ss AM/PM"},
      {20, "h:mm"},
      {21, "h:mm:ss"},
      {22, "m/d/yyyy h:mm"},
      {37, "#,##0_);(#,##0)"},
      {38, "#,##0_);[Red](#,##0)"},
      {39, "#,##0.00_);(#,##0.00)"},
      {40, "#,##0.00_);[Red](#,##0.00)"},
      {41, "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
      {42, "_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)"},
      {43, "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"?\?_);_(@_)"},
      {44, "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"?\?_);_(@_)"},
      {45, "mm:ss"},
      {46, "[h]:mm:ss"},
      {47, "mm:ss.0"},
      {48, "##0.0E+0"},
      {49, "@"}};
  auto it = codes.find(id);
  return it != codes.end() ? it->second : "General";
}

std::string renderNumber(double value, std::string_view code) {
  if (!std::isfinite(value)) return general(value);
  std::vector<std::string_view> sections = sectionsOf(code);
  std::string_view section = sections[0];
  if (value < 0 && sections.size() > 1) {
    section = sections[1];
    value = -value;  // the second section shows negatives with its own signs
  }
  std::vector<Token> tokens = tokensOf(section);
  bool date = false, digits = false, other = false;
  for (const Token& t : tokens) {
    date = date || t.part == Part::Date;
    digits = digits || t.part == Part::Digit;
    other = other || t.part == Part::General;
  }
  if (date && !other) return renderDate(value, tokens);
  if (digits && !other) return renderDigits(value, tokens);
  return general(value);
}

}  // namespace kpx::data::excel
