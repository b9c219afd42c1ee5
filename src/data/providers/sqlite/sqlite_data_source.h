// SQLite databases through the Jet provider: catalog, streaming readers, SQL and a bulk
// writer that binds values as numbers where the declared column type is numeric.
#pragma once
#include <memory>
#include <string>

#include "data/providers/provider.h"

namespace kpx::data {

// Opens an existing SQLite database; DataError naming the file when it is missing, is not
// a SQLite database or cannot be read. `writable` false opens it read-only.
std::unique_ptr<DataSource> openSqliteDatabase(const std::string& path, bool writable);

// The ADO type code and defined size for a declared SQLite column type: Jet type names map
// back to their own codes, other names by SQLite's affinity rules.
ColumnInfo columnInfoFromDeclaredType(const std::string& name, const std::string& declared,
                                      bool notNull);

// Creates a new empty SQLite database file (with its header written); DataError when the
// file exists or cannot be created.
void createSqliteDatabase(const std::string& path);

}  // namespace kpx::data
