#include "data/providers/statement_excerpt.h"

#include <algorithm>
#include <cstdio>

namespace kpx::data {
namespace {

constexpr size_t kShownCharacters = 200;

// The length of the well-formed UTF-8 sequence starting at `i`, or 0.
size_t utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (lead >= 0xF5 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string statementExcerpt(std::string_view sql) {
  std::string shown;
  size_t characters = 0;
  size_t i = 0;
  for (; i < sql.size() && characters < kShownCharacters; ++characters) {
    const auto c = static_cast<unsigned char>(sql[i]);
    if (c == '\r' || c == '\n' || c == '\t') {
      shown += ' ';
      ++i;
    } else if (c >= 0x20 && c != 0x7F && c < 0x80) {
      shown += static_cast<char>(c);
      ++i;
    } else if (const size_t length = c >= 0x80 ? utf8Length(sql, i) : 0; length > 0) {
      shown.append(sql.substr(i, length));
      i += length;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
      ++i;
    }
  }
  if (i < sql.size()) {
    size_t total = characters;
    for (; i < sql.size(); ++total) i += std::max<size_t>(1, utf8Length(sql, i));
    shown += "… (" + std::to_string(total) + " characters in all)";
  }
  return shown;
}

}  // namespace kpx::data
