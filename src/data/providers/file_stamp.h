#pragma once
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kpx::data {

// What tells one content of a file from another without reading all of it: its identity,
// size and times, and its first and last bytes (all of a small file, since a file rewritten
// at once can keep its size and times).
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modified = 0;  // nanoseconds
  int64_t changed = 0;
  std::string edges;
  bool operator==(const FileStamp&) const = default;
  // The stamp as text, for keys of caches kept by file.
  std::string key() const;
};

// The stamp of the file at `path`; nullopt when it cannot be read.
std::optional<FileStamp> stampOf(const std::string& path);

}  // namespace kpx::data
