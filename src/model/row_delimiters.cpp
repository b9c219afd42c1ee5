// The row delimiters a connection may name, by internal name or by code.
#include "model/row_delimiters.h"

#include <charconv>
#include <optional>

#include "model/vb_strings.h"

namespace kpx::modMain {
namespace {

struct RowDelimiter {
  std::string_view name;  // internal name, independent of the interface language
  int32_t code;           // enRowDelimiter
  std::string_view characters;
};

// In the order the look-up tests them.
constexpr RowDelimiter kRowDelimiters[] = {
    {"{CR}{LF}", 0, "\r\n"},     {"{CR}", 5, "\r"},           {"{LF}", 6, "\n"},
    {"Virgola", 1, ","},         {"Punto e Virgola", 2, ";"}, {"Tabulazione", 3, "\t"},
    {"Barra Verticale", 4, "|"},
};

// The code a delimiter value stands for when it is a number written in decimal.
std::optional<int32_t> numericCode(std::string_view value) {
  std::string text = vb::Trim(value);
  int32_t code = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, code);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return code;
}

}  // namespace

std::string DelimiterText(std::string_view value) {
  std::optional<int32_t> code = numericCode(value);
  for (const RowDelimiter& d : kRowDelimiters)
    if (value == d.name || (code && *code == d.code)) return std::string(d.characters);
  return {};
}

std::string DelimiterText(int32_t code) {
  return DelimiterText(std::to_string(code));
}

}  // namespace kpx::modMain
