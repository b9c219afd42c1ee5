#include "data/providers/excel/number_format.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace kpx::data::excel {

NumberClass classifyFormat(std::string_view code) {
  bool date = false;
  bool money = code.find('$') != std::string_view::npos ||
               code.find("\xE2\x82\xAC") != std::string_view::npos ||  // euro sign
               code.find("\xC2\xA3") != std::string_view::npos ||      // pound sign
               code.find('\x80') != std::string_view::npos;            // euro in Windows-1252
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      size_t end = code.find('"', i + 1);
      if (end == std::string_view::npos) break;
      i = end;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is shown or padded, not interpreted
    } else if (c == '[') {
      size_t end = code.find(']', i + 1);
      if (end == std::string_view::npos) break;
      std::string_view inside = code.substr(i + 1, end - i - 1);
      // Elapsed-time brackets [h] [mm] [ss] are date parts; colours and locales are not.
      if (!inside.empty() && inside[0] != '\0' && std::strchr("hHmMsS", inside[0]) &&
          inside.find('$') == std::string_view::npos)
        date = true;
      i = end;
    } else if (c == ';') {
      break;  // the first section decides
    } else if (c != '\0' && std::strchr("dDmMyYhHsS", c)) {
      date = true;
    }
  }
  if (date) return NumberClass::Date;
  return money ? NumberClass::Currency : NumberClass::Plain;
}

NumberClass classifyBuiltInFormat(uint32_t id) {
  if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47)) return NumberClass::Date;
  if ((id >= 5 && id <= 8) || id == 42 || id == 44) return NumberClass::Currency;
  return NumberClass::Plain;
}

Cell numberCell(double value, NumberClass cls, bool date1904) {
  switch (cls) {
    case NumberClass::Date:
      return Cell::ofDate(date1904 ? value + 1462 : value);
    case NumberClass::Currency:
      // Money is kept as money only when it fits the four decimals of a currency value.
      if (std::fabs(value) < 9e14 && std::nearbyint(value * 10000) == value * 10000)
        return Cell::ofCurrency(value);
      return Cell::ofNumber(value);
    case NumberClass::Plain:
      break;
  }
  return Cell::ofNumber(value);
}

void appendUtf8(uint32_t cp, std::string& out) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::string fromUtf16Le(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t u = uint8_t(bytes[i]) | uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      uint32_t lo = uint8_t(bytes[i + 2]) | uint32_t(uint8_t(bytes[i + 3])) << 8;
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
    }
    appendUtf8(u, out);
  }
  return out;
}

std::string fromWindows1252(std::string_view bytes) {
  // 0x80-0x9F differ from Latin-1; the rest map to the same code points.
  static const uint16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    uint8_t b = uint8_t(ch);
    appendUtf8(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : b, out);
  }
  return out;
}

std::string toUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  auto unit = [&out](uint32_t u) {
    out += char(u & 0xFF);
    out += char(u >> 8);
  };
  for (size_t i = 0; i < utf8.size();) {
    uint8_t b = uint8_t(utf8[i]);
    uint32_t cp = 0xFFFD;
    size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 1) {
      cp = b;
    } else if (len > 1 && i + len <= utf8.size()) {
      cp = b & (0x7F >> len);
      for (size_t k = 1; k < len; ++k) {
        uint8_t c = uint8_t(utf8[i + k]);
        if ((c & 0xC0) != 0x80) {
          cp = 0xFFFD;
          len = k;
          break;
        }
        cp = cp << 6 | (c & 0x3F);
      }
    } else {
      len = 1;
    }
    i += len;
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp > 0xFFFF ? 0xFFFD : cp);
    }
  }
  return out;
}

}  // namespace kpx::data::excel
