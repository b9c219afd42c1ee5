// New content for a file, written beside it and renamed over it only when complete, so that
// a run that fails, is cancelled or is killed leaves the old file as it was.
//
// The file keeps its owner's intent: a replaced file keeps its mode (and its owner and group
// where the process may set them), a new one gets 0666 less the umask as any new file does, a
// symbolic link keeps pointing where it did and the file it names is the one replaced, and a
// file the user may not write is refused before anything is made.
//
// The content is written to ".NAME.kpxtmp-PID-XXXXXX" in the folder of the file. A run that
// was killed leaves such a file behind; the next replacement of the same file removes those
// whose process no longer runs.
#pragma once
#include <string>

namespace kpx::data {

class FileReplacement {
 public:
  // `what` names the kind of file in messages ("text file", "Excel workbook"). Throws
  // DataError naming the file when it may not be written or its temporary file cannot be made.
  FileReplacement(const std::string& path, const std::string& what);
  ~FileReplacement();  // removes the temporary file unless committed
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // The open temporary file; -1 after closeFile().
  int fd() const { return m_fd; }
  const std::string& temporaryPath() const { return m_temp; }
  // The file that is replaced: the path given, or the file its symbolic link names.
  const std::string& target() const { return m_target; }

  // Writes all of `bytes` to the temporary file; DataError naming the file on failure.
  void write(const char* bytes, size_t size);
  // Closes the temporary file without syncing, for writers that open it again by name.
  void closeFile();
  // Syncs the temporary file and renames it over the target; DataError naming the file when
  // that fails, and the temporary file is gone either way.
  void commit();
  // Removes the temporary file; the target is untouched.
  void abandon() noexcept;

 private:
  std::string m_path;
  std::string m_what;
  std::string m_target;
  std::string m_temp;
  int m_fd = -1;
  bool m_done = false;
};

// Refuses a file the user may not write: DataError naming it and saying why (its mode, a
// read-only file system, a folder where new files cannot be made). `what` as above.
void checkReplaceable(const std::string& path, const std::string& what);

// Makes an empty folder ".NAME.kpxtmp-PID-XXXXXX" beside `path`, for a file that does not exist
// yet to be made in under its own name (a workbook's format, a database's journal go by it) and
// moved to `path` once complete; a killed run's folder is removed as its temporary files are.
// Throws DataError naming `path` when it cannot.
std::string makeStagingFolder(const std::string& path, const std::string& what);

// Writes the bytes of the file at `path` to disk; false with errno set when they cannot be.
bool syncFile(const std::string& path);
// Writes the folder holding `path` to disk, so that a file renamed into it stays renamed.
void syncFolderOf(const std::string& path);

// Removes the temporary files that killed runs left beside `path` (see above); returns how many.
int removeLeftoverTemporaryFiles(const std::string& path);

// Whether `name` (a file name without folder) is a temporary file of a replacement.
bool isReplacementTemporaryName(const std::string& name);

}  // namespace kpx::data
