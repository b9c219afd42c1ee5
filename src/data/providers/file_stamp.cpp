#include "data/providers/file_stamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

namespace kpx::data {

std::optional<FileStamp> stampOf(const std::string& path) {
  constexpr off_t kEdge = 4096;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<FileStamp> stamp;
  if (::fstat(fd, &st) == 0) {
    const auto ns = [](const timespec& t) { return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; };
    stamp = FileStamp{st.st_dev, st.st_ino, st.st_size, ns(st.st_mtim), ns(st.st_ctim), {}};
    const off_t head = std::min(st.st_size, kEdge);
    const off_t tail = std::min(st.st_size - head, kEdge);
    stamp->edges.resize(static_cast<size_t>(head + tail));
    if (::pread(fd, stamp->edges.data(), static_cast<size_t>(head), 0) != head ||
        ::pread(fd, stamp->edges.data() + head, static_cast<size_t>(tail), st.st_size - tail) !=
            tail) {
      stamp.reset();
    }
  }
  ::close(fd);
  return stamp;
}

std::string FileStamp::key() const {
  return std::to_string(device) + ":" + std::to_string(inode) + ":" + std::to_string(size) + ":" +
         std::to_string(modified) + ":" + std::to_string(changed) + ":" +
         std::to_string(std::hash<std::string>{}(edges));
}

}  // namespace kpx::data
