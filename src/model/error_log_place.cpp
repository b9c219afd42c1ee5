#include "model/error_log_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "model/paths.h"

namespace kpx {
namespace {

// Tried rather than asked: the superuser passes every permission check, yet cannot make a file
// in /proc or on a read-only file system. A file made only to try is removed again.
bool canAppend(const std::string& file) {
  const bool existed = ::access(file.c_str(), F_OK) == 0;
  const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  if (!existed) ::unlink(file.c_str());
  return true;
}

// mkdir -p, each new folder private to the user.
bool makeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string fallbackLogFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/kpxwizard/";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/state/kpxwizard/";
  return {};
}

std::string errorLogFileInUse(const std::string& logFilePath) {
  const std::string configured = errorLogFile(logFilePath);
  if (canAppend(configured)) return configured;
  const std::string folder = fallbackLogFolder();
  if (folder.empty() || !makeFolders(folder.substr(0, folder.size() - 1))) return configured;
  return errorLogFile(folder);
}

}  // namespace kpx
