// Scratch files that hold what would not fit in memory.
#pragma once
#include <string>

namespace kpx::data::excel {

// Where scratch files go: $TMPDIR, or /tmp.
std::string temporaryFolder();

// Makes a file in temporaryFolder() and removes its name at once, so that nothing is left
// behind however the process ends. Returns its descriptor, open for reading and writing, or -1
// with errno set; `folder` says where it was made or tried.
int unnamedTemporaryFile(const char* prefix, std::string& folder);

}  // namespace kpx::data::excel
