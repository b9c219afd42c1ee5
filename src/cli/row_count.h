// Counts the rows a connection's table holds, read through the data-source layer, so a run can
// say how many rows it wrote.
#pragma once
#include <cstdint>

#include "kpxwizard/connection.h"

namespace kpx::cli {

// Rows of the connection's table (Excel: its sheet with or without "$"; text: the file); 0 when
// the table or file does not exist yet; -1 when the data source cannot be read.
int64_t countRows(const clsConnection& connection);

}  // namespace kpx::cli
