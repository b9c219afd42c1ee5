// Row delimiters: the internal names and codes a connection stores, and their characters.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kpx::modMain {

// The characters of a row delimiter given by its internal name ("{CR}{LF}", "Virgola", ...,
// compared exactly) or by its row-delimiter code (0 to 6, also as decimal text); "" otherwise.
std::string DelimiterText(std::string_view value);
std::string DelimiterText(int32_t code);

}  // namespace kpx::modMain
