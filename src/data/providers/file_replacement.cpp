#include "data/providers/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "data/providers/provider.h"

namespace kpx::data {
namespace {

constexpr const char* kMarker = ".kpxtmp-";

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links to the file they name, even one that does not exist yet.
std::string resolveLinks(const std::string& path, const std::string& what) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0) {
      throw DataError("The " + what + " '" + path +
                      "' is a symbolic link that cannot be read: " + std::strerror(errno));
    }
    link.resize(static_cast<size_t>(n));
    current = !link.empty() && link[0] == '/' ? link : folderOf(current) + "/" + link;
  }
  throw DataError("The " + what + " '" + path +
                  "' is a symbolic link that leads round in a circle");
}

std::string octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

void checkTarget(const std::string& path, const std::string& target, const std::string& what) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw DataError("The " + what + " '" + path + "' is a folder");
    // A file without any write permission is read-only by its owner's wish, whoever runs us.
    if (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0) {
      const int why = errno == EROFS ? EROFS : EACCES;
      throw DataError("The " + what + " '" + path + "' cannot be written (" + std::strerror(why) +
                      ", mode " + octal(st.st_mode) + "); it is left as it is");
    }
  }
  const std::string folder = folderOf(target);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    throw DataError("The " + what + " '" + path +
                    "' cannot be written: no file can be made in its folder '" + folder + "' (" +
                    std::strerror(errno) + ")");
  }
}

std::string randomSuffix() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string out(6, 'x');
  for (char& c : out) c = kLetters[pick(generator)];
  return out;
}

bool processIsGone(long pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

bool isReplacementTemporaryName(const std::string& name) {
  const size_t at = name.rfind(kMarker);
  if (name.empty() || name[0] != '.' || at == std::string::npos || at < 2) return false;
  const std::string rest = name.substr(at + std::strlen(kMarker));
  const size_t dash = rest.find('-');
  // A workbook fixed up in place has libzip write "NAME.XXXXXX" beside it before the rename.
  const size_t tail = dash == std::string::npos ? 0 : rest.size() - dash - 1;
  return dash != std::string::npos && dash > 0 && rest.find_first_not_of("0123456789") == dash &&
         (tail == 6 || (tail == 13 && rest[dash + 7] == '.'));
}

int removeLeftoverTemporaryFiles(const std::string& path) {
  const std::string target = resolveLinks(path, "file");
  const std::string folder = folderOf(target);
  const std::string prefix = "." + baseOf(target) + kMarker;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0 || !isReplacementTemporaryName(name)) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    const std::string full = folder + "/" + name;
    struct stat st {};
    // Only plain files (or staging folders) of this user whose writer has died: never a link,
    // never another's file.
    if (::lstat(full.c_str(), &st) != 0 || st.st_uid != ::geteuid() || !processIsGone(pid))
      continue;
    std::error_code ec;
    if (S_ISDIR(st.st_mode) && std::filesystem::remove_all(full, ec) > 0 && !ec)
      ++removed;
    else if (S_ISREG(st.st_mode) && ::unlink(full.c_str()) == 0)
      ++removed;
  }
  ::closedir(dir);
  return removed;
}

bool syncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  const int error = errno;
  if (fd >= 0 && ::close(fd) != 0 && synced) return false;
  errno = error;
  return synced;
}

void syncFolderOf(const std::string& path) {
  const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);  // a failure here changes nothing: the rename is done either way
    ::close(folder);
  }
}

void checkReplaceable(const std::string& path, const std::string& what) {
  checkTarget(path, resolveLinks(path, what), what);
}

std::string makeStagingFolder(const std::string& path, const std::string& what) {
  const std::string target = resolveLinks(path, what);
  checkTarget(path, target, what);
  removeLeftoverTemporaryFiles(target);
  std::string folder =
      folderOf(target) + "/." + baseOf(target) + kMarker + std::to_string(::getpid()) + "-XXXXXX";
  if (!::mkdtemp(folder.data()))
    throw DataError("Cannot write the " + what + " '" + path + "': " + std::strerror(errno) +
                    " (a temporary folder beside it could not be made)");
  return folder;
}

FileReplacement::FileReplacement(const std::string& path, const std::string& what)
    : m_path(path), m_what(what), m_target(resolveLinks(path, what)) {
  checkTarget(m_path, m_target, m_what);
  removeLeftoverTemporaryFiles(m_target);
  struct stat old {};
  const bool exists = ::stat(m_target.c_str(), &old) == 0;
  const std::string stem =
      folderOf(m_target) + "/." + baseOf(m_target) + kMarker + std::to_string(::getpid()) + "-";
  for (int attempt = 0; m_fd < 0 && attempt < 100; ++attempt) {
    m_temp = stem + randomSuffix();
    // 0666 as any new file: the umask (and a default ACL) decide what a new file gets.
    m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0 && errno != EEXIST) break;
  }
  if (m_fd < 0) {
    throw DataError("Cannot write the " + m_what + " '" + m_path + "': " + std::strerror(errno) +
                    " (a temporary file in its folder could not be made)");
  }
  if (exists) {
    // Owner and group only where allowed (root, or a group of ours); the mode always.
    if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
    }
    ::fchmod(m_fd, old.st_mode & 07777);
  }
}

FileReplacement::~FileReplacement() {
  abandon();
}

void FileReplacement::write(const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(m_fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw DataError("Cannot write the " + m_what + " '" + m_path + "': " + std::strerror(errno) +
                      "; the file is left as it was");
    }
    bytes += n;
    size -= static_cast<size_t>(n);
  }
}

void FileReplacement::closeFile() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

void FileReplacement::commit() {
  try {
    if (m_fd < 0) m_fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = m_fd >= 0 && ::fsync(m_fd) == 0;
    const int syncError = errno;
    const bool closed = m_fd >= 0 && ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed) {
      throw DataError("Cannot write the " + m_what + " '" + m_path + "': " +
                      std::strerror(synced ? errno : syncError) + "; the file is left as it was");
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
      throw DataError("Cannot replace the " + m_what + " '" + m_path +
                      "': " + std::strerror(errno) + "; the file is left as it was");
    }
    m_done = true;
    syncFolderOf(m_target);
  } catch (...) {
    abandon();
    throw;
  }
}

void FileReplacement::abandon() noexcept {
  closeFile();
  if (!m_done && !m_temp.empty()) ::unlink(m_temp.c_str());
  m_done = true;
}

}  // namespace kpx::data
