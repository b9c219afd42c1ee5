// A fresh folder for one test, and the file and sqlite3 helpers the tests share.
#pragma once

#include <filesystem>
#include <string>

namespace kpx::test {

// A folder named after the running test: emptied when made, removed when destroyed.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& dir() const { return m_dir; }
  std::string path(const std::string& name) const { return (m_dir / name).string(); }
  // Writes `bytes` into `name` and returns its path.
  std::string write(const std::string& name, const std::string& bytes) const;
  // Copies `relative` of tests/data into `name` and returns its path.
  std::string copyFixture(const std::string& relative, const std::string& name) const;

 private:
  std::filesystem::path m_dir;
};

// The whole file, byte for byte ("" when it cannot be read).
std::string readFile(const std::string& path);

// What the sqlite3 program prints for `sql` on `database`, with `options` (such as "-csv")
// before the file name; a failing run fails the test.
std::string sqliteOutput(const std::string& database, const std::string& sql,
                         const std::string& options = "");

}  // namespace kpx::test
