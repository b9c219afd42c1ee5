// SQL text for the sqlite3 program in tests: names and strings quoted, and text as hex digits
// so that names with quotes and line breaks compare plainly.
#pragma once
#include <string>

namespace kpx::test {

// Upper-case hexadecimal digits of every byte, as SQLite's hex() gives them.
std::string hexOf(const std::string& text);
// "name" with inner double quotes doubled.
std::string sqlIdentifier(const std::string& name);
// 'text' with inner single quotes doubled.
std::string sqlLiteral(const std::string& text);

}  // namespace kpx::test
