// Reads the column lists of the wizard's two connections through the schema reader, and
// rebuilds saved transformations over them.
#pragma once
#include <cstdint>
#include <string>

#include "cli/session.h"

namespace kpx::cli {

// Fills the columns of the session wizard's Source and Destination: the source's table, query
// or text file; the destination's table, a new table created first when the destination asks
// for one (through BuildColumns), or, for a text file written new, the source's columns.
// Throws CliError with the reason shown when a list cannot be read.
void readColumns(Session& session);

// Reads both column lists and rebuilds the transformations stored in the TRANSFORMATIONS
// section of `config` over them (copies and constants, by column name), as loading a
// configuration does. Throws CliError when a stored column no longer exists. Returns the
// number of transformations.
int32_t restoreTransformations(Session& session, const std::string& config);

}  // namespace kpx::cli
