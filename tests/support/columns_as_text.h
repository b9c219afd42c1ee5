// A connection's columns as one line, for comparing what the schema reader found.
#pragma once
#include <string>

#include "kpxwizard/connection.h"

namespace kpx::test {

// "Name:type/size" for each column, "n" appended when nullable, each followed by a blank.
std::string columnsAsText(const clsConnection& connection);

}  // namespace kpx::test
