#include "support/sql_text.h"

namespace kpx::test {
namespace {

std::string quoted(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    if (c == quote) out += quote;
    out += c;
  }
  return out + quote;
}

}  // namespace

std::string hexOf(const std::string& text) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string sqlIdentifier(const std::string& name) {
  return quoted(name, '"');
}

std::string sqlLiteral(const std::string& text) {
  return quoted(text, '\'');
}

}  // namespace kpx::test
