#include "cli/created_file_guard.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace kpx::cli {

namespace fs = std::filesystem;

CreatedFileGuard::CreatedFileGuard(std::string path) : m_path(std::move(path)) {
  struct stat st {};
  // A link, even one that leads nowhere, counts as there: what it names is not ours to remove.
  m_existed = m_path.empty() || ::lstat(m_path.c_str(), &st) == 0 || errno != ENOENT;
}

CreatedFileGuard::~CreatedFileGuard() {
  if (m_existed || m_kept) return;
  std::error_code ec;
  if (fs::is_regular_file(fs::symlink_status(m_path, ec))) fs::remove(m_path, ec);
  // A database that was being written may have left its journal beside it.
  fs::remove(m_path + "-journal", ec);
}

}  // namespace kpx::cli
