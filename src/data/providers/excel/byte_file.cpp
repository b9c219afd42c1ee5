#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {
namespace {

class PreadFile : public ByteFile {
 public:
  PreadFile(int fd, uint64_t size, std::string path) : m_fd(fd), m_size(size), m_path(path) {}
  ~PreadFile() override { ::close(m_fd); }
  PreadFile(const PreadFile&) = delete;
  PreadFile& operator=(const PreadFile&) = delete;

  uint64_t size() const override { return m_size; }
  const std::string& path() const override { return m_path; }
  void read(uint64_t offset, void* out, size_t count) const override {
    auto* to = static_cast<char*>(out);
    while (count > 0) {
      ssize_t n = ::pread(m_fd, to, count, off_t(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0)
        throw std::runtime_error(std::string("the file cannot be read: ") + strerror(errno));
      if (n == 0) throw std::runtime_error("the file ends before its contents do");
      to += n;
      offset += uint64_t(n);
      count -= size_t(n);
    }
  }

 private:
  int m_fd;
  uint64_t m_size;
  std::string m_path;
};

class MemoryFile : public ByteFile {
 public:
  explicit MemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}
  uint64_t size() const override { return m_bytes.size(); }
  const std::string& path() const override { return m_path; }
  void read(uint64_t offset, void* out, size_t count) const override {
    if (offset > m_bytes.size() || count > m_bytes.size() - offset)
      throw std::runtime_error("the file ends before its contents do");
    std::memcpy(out, m_bytes.data() + offset, count);
  }

 private:
  std::string m_bytes;
  std::string m_path;
};

}  // namespace

std::shared_ptr<ByteFile> openByteFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw DataError("Excel workbook '" + path + "' cannot be opened: " + std::strerror(errno));
  off_t end = ::lseek(fd, 0, SEEK_END);
  if (end < 0) {
    int error = errno;
    ::close(fd);
    throw DataError("Excel workbook '" + path + "' cannot be read: " + std::strerror(error));
  }
  return std::make_shared<PreadFile>(fd, uint64_t(end), path);
}

std::shared_ptr<ByteFile> bytesInMemory(std::string bytes) {
  return std::make_shared<MemoryFile>(std::move(bytes));
}

}  // namespace kpx::data::excel
