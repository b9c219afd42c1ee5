// A statement as an error message shows it: on one line, at most 200 characters, with no byte
// that would garble a terminal, so a failing 10,000-line CREATE TABLE or a statement holding
// binary bytes still gives a message that can be read.
#pragma once
#include <string>
#include <string_view>

namespace kpx::data {

// `sql` with line breaks and tabs as spaces, control characters and bytes that are not UTF-8
// as \xNN, cut after 200 characters with "… (N characters in all)" added.
std::string statementExcerpt(std::string_view sql);

}  // namespace kpx::data
