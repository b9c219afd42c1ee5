// Where a dry run that would create a table or delete rows rehearses: a copy of the destination
// database in a private temporary folder, so the table creation and the delete land there and
// the file the user named is never opened for writing.
#pragma once
#include <string>

namespace kpx::cli {

class ScratchDestination {
 public:
  // Copies `path` (when it exists) into a new temporary folder under the same file name; throws
  // CliError naming the file when the copy cannot be made.
  explicit ScratchDestination(const std::string& path);
  ~ScratchDestination();  // removes the folder and all it holds
  ScratchDestination(const ScratchDestination&) = delete;
  ScratchDestination& operator=(const ScratchDestination&) = delete;

  const std::string& path() const { return m_path; }
  const std::string& folder() const { return m_folder; }

 private:
  std::string m_folder;
  std::string m_path;
};

}  // namespace kpx::cli
