// A configuration may ask for a new table in a SQLite database that does not exist yet.
#pragma once
#include <iosfwd>
#include <string>

namespace kpx::cli {

// Makes the empty SQLite database that the configuration file `config` names as its
// destination when it asks for a new table there and the file is missing (saying so on `out`),
// as the connection dialog's New button would; does nothing otherwise.
void createMissingDestinationDatabase(const std::string& config, std::ostream& out);

}  // namespace kpx::cli
