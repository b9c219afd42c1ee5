// A destination file that does not exist yet is made in a temporary folder beside it
// (".NAME.kpxtmp-PID-XXXXXX/NAME", so that its format and its journal go by its own name) and
// moved to its place only when the transfer has finished. A run that fails, is stopped or is
// killed at any moment thus leaves no file the user did not have: the folder goes when the run
// ends, or, after a kill, with the next run that writes that name.
#pragma once
#include <streambuf>
#include <string>

namespace kpx::cli {

class StagedNewFile {
 public:
  // Stages `path` when nothing is there yet (not even a dangling link); otherwise the run
  // writes `path` itself. Throws CliError naming the file when no folder can be made.
  explicit StagedNewFile(const std::string& path);
  ~StagedNewFile();  // removes the folder and all it holds, unless kept
  StagedNewFile(const StagedNewFile&) = delete;
  StagedNewFile& operator=(const StagedNewFile&) = delete;

  // Where the run writes.
  const std::string& path() const { return m_written; }
  // The transfer finished: the file takes its place. Throws CliError when it cannot.
  void keep();

 private:
  std::string m_path;
  std::string m_written;
  std::string m_folder;  // empty when nothing is staged
};

// `text` with every file this process staged named by the path it takes, so that what the
// program says names the user's file, not the temporary one.
std::string withStagedNamesShown(std::string text);

// Passes what is written on to `to` a line at a time (and whatever is there when flushed),
// through withStagedNamesShown.
class StagedNamesShown : public std::streambuf {
 public:
  explicit StagedNamesShown(std::streambuf* to) : m_to(to) {}
  ~StagedNamesShown() override { sync(); }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  std::streambuf* m_to;
  std::string m_line;
};

}  // namespace kpx::cli
