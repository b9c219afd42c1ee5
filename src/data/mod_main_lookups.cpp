// The code-and-name look-ups: connection kinds, row delimiters, digit checks, file names.
#include <charconv>
#include <optional>

#include "data/mod_main.h"
#include "kpxwizard/messages.h"
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
    {"{CR}{LF}", 0, "\r\n"},   {"{CR}", 5, "\r"},     {"{LF}", 6, "\n"},
    {"Virgola", 1, ","},       {"Punto e Virgola", 2, ";"},
    {"Tabulazione", 3, "\t"},  {"Barra Verticale", 4, "|"},
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

std::string DelimiterText(int32_t code) { return DelimiterText(std::to_string(code)); }

std::string NameConnection(int32_t kind) {
  try {
    switch (kind) {
      case 1: return "ACCESS";
      case 2: return "SQL SERVER";
      case 3: return "EXCEL 97-2000";
      case 4: return "TEXT FILE";
      case 5: return "HTML SOURCE";
      case 8: return "EXCEL 3.0";
      case 9: return "EXCEL 4.0";
      case 10: return "EXCEL 5.0";
      default: return {};
    }
  } catch (...) {
    ShowProcedureError("modMain", "NameConnection");
    return {};
  }
}

bool IsDigitsOnly(std::string_view text) {
  for (char32_t c : vb::decode(text))
    if (c < U'0' || c > U'9') return false;
  return true;
}

std::string TakeNameTable(std::string_view path) {
  try {
    // Paths may be written Windows-style or POSIX-style: either separator ends a folder.
    size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // Left(name, InStr(name, ".") - 1): a name without "." is an invalid call.
    return vb::Left(name, vb::InStr(name, ".") - 1);
  } catch (...) {
    ShowProcedureError("modMain", "TakeNameTable");
    return {};
  }
}

}  // namespace kpx::modMain
