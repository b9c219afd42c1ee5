// Removes a destination file that a command made when the command does not finish its
// transfer, so that a failed or stopped run leaves no new, empty database or workbook behind.
#pragma once
#include <string>

namespace kpx::cli {

class CreatedFileGuard {
 public:
  // Notes whether `path` exists now; a file that did is never removed.
  explicit CreatedFileGuard(std::string path);
  ~CreatedFileGuard();
  CreatedFileGuard(const CreatedFileGuard&) = delete;
  CreatedFileGuard& operator=(const CreatedFileGuard&) = delete;
  // The transfer finished: the file stays.
  void keep() const { m_kept = true; }

 private:
  std::string m_path;
  bool m_existed = true;
  mutable bool m_kept = false;
};

}  // namespace kpx::cli
