// JSON text for the machine-readable outputs.
#pragma once
#include <string>
#include <string_view>

namespace kpx::cli {

// `text` as a JSON string literal with its quotes: quotes, backslashes and control
// characters escaped; bytes that are not valid UTF-8 become U+FFFD so the output always parses.
std::string jsonString(std::string_view text);

}  // namespace kpx::cli
