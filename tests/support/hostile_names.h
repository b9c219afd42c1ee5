// Table and column names that would end a statement early, or start another, were they not
// quoted as names: each must reach the database as the name it is.
#pragma once
#include <string>

namespace kpx::test {

struct HostileName {
  const char* label;  // the test case's name
  std::string name;
};

inline const HostileName kHostileNames[] = {
    {"backquote", "a`b"},
    {"closing_the_create", "b` TEXT); DROP TABLE keep; CREATE TABLE pwn(`z"},
    {"double_quote", "c\"d"},
    {"double_quote_closing_the_insert", "e\"); DROP TABLE keep; --"},
    {"semicolon", "f;g"},
    {"line_break", "h\ni"},
    {"closing_bracket", "j]k"},
};

}  // namespace kpx::test
