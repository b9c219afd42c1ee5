// The text-file preview: the first rows of a text file, split at its row delimiter.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/mod_main.h"
#include "data/text/text_decoding.h"
#include "kpxwizard/automation_error.h"
#include "model/vb_strings.h"

namespace kpx::modMain {
namespace {

constexpr size_t kPreviewLines = 5;
constexpr size_t kChunk = 4096;
constexpr int32_t kErrFileNotFound = 53;
constexpr int32_t kErrPathFileAccess = 75;
constexpr int32_t kErrSubscriptOutOfRange = 9;

// An open file descriptor, closed when it goes.
class FileHandle {
 public:
  explicit FileHandle(int fd) : m_fd(fd) {}
  ~FileHandle() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int fd() const { return m_fd; }

 private:
  int m_fd;
};

// Reads physical lines (ended by CR LF, LF or CR) as raw bytes, chunk by chunk, in the code
// units of the file's encoding, so that nothing past the lines asked for is decoded or kept.
// Plain reads return what is there, so a pipe that has sent its lines is not waited on.
class PhysicalLineReader {
 public:
  PhysicalLineReader(int fd, const std::string& path) : m_fd(fd), m_path(path) {
    fill();
    m_encoding = data::detectTextEncoding(std::string_view(m_buffer));
    m_pos = data::byteOrderMarkLength(m_encoding);
    m_unit = m_encoding == data::TextEncoding::Utf16LE || m_encoding == data::TextEncoding::Utf16BE
                 ? 2
                 : 1;
  }

  data::TextEncoding encoding() const { return m_encoding; }

  // The next line without its line end; false at the end of the file.
  bool next(std::string& line) {
    line.clear();
    if (!available(m_unit)) return false;
    while (available(m_unit)) {
      char16_t c = unitAt(m_pos);
      if (c == u'\n') {
        m_pos += m_unit;
        return true;
      }
      if (c == u'\r') {
        m_pos += m_unit;
        if (available(m_unit) && unitAt(m_pos) == u'\n') m_pos += m_unit;
        return true;
      }
      line.append(m_buffer, m_pos, m_unit);
      m_pos += m_unit;
    }
    // A last line without a line end (an odd trailing byte of UTF-16 included).
    if (m_pos < m_buffer.size()) line.append(m_buffer, m_pos, std::string::npos);
    m_pos = m_buffer.size();
    return true;
  }

 private:
  // Whether `n` bytes are buffered at m_pos, reading another chunk when needed.
  bool available(size_t n) {
    if (m_buffer.size() - m_pos >= n) return true;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    while (m_buffer.size() < n && fill()) {
    }
    return m_buffer.size() >= n;
  }

  bool fill() {
    char chunk[kChunk];
    ssize_t got;
    do {
      got = ::read(m_fd, chunk, sizeof chunk);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
      throw AutomationError(kErrPathFileAccess, "kpxwizard",
                            "Cannot read the text file '" + m_path + "': " + std::strerror(errno));
    m_buffer.append(chunk, static_cast<size_t>(got));
    return got > 0;
  }

  char16_t unitAt(size_t i) const {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(m_buffer[k]); };
    if (m_encoding == data::TextEncoding::Utf16LE)
      return static_cast<char16_t>(byte(i) | byte(i + 1) << 8);
    if (m_encoding == data::TextEncoding::Utf16BE)
      return static_cast<char16_t>(byte(i) << 8 | byte(i + 1));
    return byte(i);
  }

  int m_fd;
  const std::string& m_path;
  std::string m_buffer;
  size_t m_pos = 0;
  size_t m_unit = 1;
  data::TextEncoding m_encoding = data::TextEncoding::Utf8;
};

int openForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) return fd;
  int error = errno;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    throw AutomationError(kErrFileNotFound, "kpxwizard", "File not found: '" + path + "'");
  throw AutomationError(kErrPathFileAccess, "kpxwizard",
                        "Cannot open the text file '" + path + "': " + std::strerror(error));
}

// The first lines of the file decoded to UTF-8. Without a byte-order mark the lines read
// decide between UTF-8 and Windows-1252.
std::vector<std::string> readFirstLines(const std::string& path, size_t count) {
  FileHandle file(openForReading(path));
  PhysicalLineReader reader(file.fd(), path);
  std::vector<std::string> raw;
  std::string line;
  while (raw.size() < count && reader.next(line)) raw.push_back(line);

  data::TextEncoding encoding = reader.encoding();
  if (encoding == data::TextEncoding::Utf8 || encoding == data::TextEncoding::Windows1252) {
    std::string all;
    for (const std::string& l : raw) all += l + '\n';
    encoding = data::detectTextEncoding(all);
  }
  std::vector<std::string> lines;
  lines.reserve(raw.size());
  for (const std::string& bytes : raw) {
    data::TextDecoder decoder(encoding);
    std::string text;
    decoder.decode(bytes, text);
    decoder.finish(text);
    lines.push_back(std::move(text));
  }
  return lines;
}

}  // namespace

void ClearPreview() {
  for (std::string& row : state().arrPreviewRows) row.clear();
}

int16_t CreatePreview(const std::string& path, std::string_view delimiter, int16_t firstRowFlag) {
  if (path.empty()) return 1;
  if (firstRowFlag < -1)
    throw AutomationError(kErrSubscriptOutOfRange, "kpxwizard", "Subscript out of range");

  // Each line is followed by CR LF, and the last CR LF dropped again.
  std::vector<std::string> lines = readFirstLines(path, kPreviewLines);
  std::string text = vb::Join(lines, "\r\n");

  std::string separator = DelimiterText(delimiter);
  if (vb::InStr(text, separator) == 0) return -2;

  std::vector<std::string> pieces = vb::Split(text, separator);
  size_t first = firstRowFlag == -1 ? 1 : static_cast<size_t>(firstRowFlag);
  auto& rows = state().arrPreviewRows;
  for (size_t i = first, row = 0; i < pieces.size() && row < rows.size(); ++i, ++row)
    rows[row] = std::move(pieces[i]);
  return 1;
}

}  // namespace kpx::modMain
