// The code-and-name look-ups: connection kinds, digit checks, file names.
#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "model/vb_strings.h"

namespace kpx::modMain {
std::string NameConnection(int32_t kind) {
  try {
    switch (kind) {
      case 1:
        return "ACCESS";
      case 2:
        return "SQL SERVER";
      case 3:
        return "EXCEL 97-2000";
      case 4:
        return "TEXT FILE";
      case 5:
        return "HTML SOURCE";
      case 8:
        return "EXCEL 3.0";
      case 9:
        return "EXCEL 4.0";
      case 10:
        return "EXCEL 5.0";
      default:
        return {};
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
