// Path helpers that accept both Windows-style and Linux paths.
#pragma once
#include <string>
#include <string_view>

namespace kpx {

// Appends "\" to a Windows-style path (one with "\" and no "/"), "/" to any other, unless
// it already ends in a separator; an empty path becomes "/".
std::string withTrailingSeparator(std::string_view path);
// Everything before the last "/" or "\" (empty when there is none).
std::string parentFolder(std::string_view path);
// The folder of the file this code was loaded from (the shared library, or the program that
// links the component statically), ending in a separator.
std::string componentFolder();
// The error log of failed rows in the log folder `logFilePath` (which ends in a separator).
std::string errorLogFile(const std::string& logFilePath);

}  // namespace kpx
