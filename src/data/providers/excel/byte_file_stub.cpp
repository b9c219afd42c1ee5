// Temporary file access for the .xls streams until the shared implementation arrives.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {
namespace {

class PreadFile : public ByteFile {
 public:
  PreadFile(std::string path, int fd, uint64_t size)
      : m_path(std::move(path)), m_fd(fd), m_size(size) {}
  ~PreadFile() override { ::close(m_fd); }
  uint64_t size() const override { return m_size; }
  void read(uint64_t offset, void* out, size_t count) const override {
    if (offset > m_size || count > m_size - offset)
      throw std::runtime_error("a read runs past the end of the file");
    auto* p = static_cast<char*>(out);
    while (count > 0) {
      ssize_t n = ::pread(m_fd, p, count, off_t(offset));
      if (n <= 0) throw std::runtime_error("the file could not be read");
      p += n;
      offset += uint64_t(n);
      count -= size_t(n);
    }
  }
  const std::string& path() const override { return m_path; }

 private:
  std::string m_path;
  int m_fd;
  uint64_t m_size;
};

class MemoryFile : public ByteFile {
 public:
  explicit MemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}
  uint64_t size() const override { return m_bytes.size(); }
  void read(uint64_t offset, void* out, size_t count) const override {
    if (offset > m_bytes.size() || count > m_bytes.size() - offset)
      throw std::runtime_error("a read runs past the end of the file");
    std::memcpy(out, m_bytes.data() + offset, count);
  }
  const std::string& path() const override { return m_path; }

 private:
  std::string m_bytes;
  std::string m_path;
};

}  // namespace

std::shared_ptr<ByteFile> openByteFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    throw DataError("The file '" + path + "' could not be opened.");
  }
  return std::make_shared<PreadFile>(path, fd, uint64_t(st.st_size));
}

std::shared_ptr<ByteFile> bytesInMemory(std::string bytes) {
  return std::make_shared<MemoryFile>(std::move(bytes));
}

}  // namespace kpx::data::excel
