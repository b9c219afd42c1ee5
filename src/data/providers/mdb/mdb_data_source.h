// Microsoft Access .mdb/.accdb files read through mdbtools. Read-only.
#pragma once
#include <memory>
#include <string>

#include "data/providers/provider.h"

namespace kpx::data {

// Opens an Access database for reading; DataError naming the file when it is not a Jet or
// ACE database or cannot be read.
std::unique_ptr<DataSource> openAccessDatabase(const std::string& path);

}  // namespace kpx::data
