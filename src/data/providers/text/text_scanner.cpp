#include "data/providers/text/text_scanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "data/providers/provider.h"

namespace kpx::data {
namespace {

constexpr size_t kUnknown = std::string::npos;

}  // namespace

TextScanner::TextScanner(const TextFormat& format, size_t readSize)
    : m_path(format.path),
      m_rowDelimiter(format.rowDelimiter),
      m_columnDelimiter(format.columnDelimiter),
      m_qualifier(format.qualifier),
      m_crlf(format.rowDelimiter == "\r\n"),
      m_encoding(format.encoding),
      m_raw(std::max<size_t>(readSize, 1)) {
  m_special[static_cast<unsigned char>(m_rowDelimiter[0])] = true;
  m_special[static_cast<unsigned char>(m_columnDelimiter[0])] = true;
  if (m_crlf) m_special[static_cast<unsigned char>('\n')] = true;
  m_stops[0] = m_rowDelimiter[0];
  m_stops[1] = m_columnDelimiter[0];
  m_stops[2] = m_crlf ? '\n' : m_rowDelimiter[0];
  m_stops[3] = m_qualifier.empty() ? m_rowDelimiter[0] : m_qualifier[0];

  m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) {
    throw DataError("Cannot open the text file " + m_path + ": " + std::strerror(errno) + ".");
  }
  struct stat st {};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(m_fd);
    m_fd = -1;
    throw DataError("Cannot open the text file " + m_path + ": it is not a file.");
  }
  m_fileSize = st.st_size;
}

TextScanner::~TextScanner() {
  if (m_fd >= 0) ::close(m_fd);
}

bool TextScanner::fill(size_t atLeast) {
  if (m_begin > 0) {
    m_buffer.erase(0, m_begin);
    m_begin = 0;
  }
  const size_t before = m_buffer.size();
  while (!m_eof && m_buffer.size() - before < atLeast) {
    ssize_t n = ::read(m_fd, m_raw.data(), m_raw.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw DataError("Cannot read the text file " + m_path + ": " + std::strerror(errno) + ".");
    }
    m_bytesRead += n;
    std::string_view bytes(m_raw.data(), static_cast<size_t>(n));
    if (!m_started) {
      // The encoding is decided once the first read holds a whole BOM, or the file ends.
      m_head.append(bytes);
      if (n > 0 && m_head.size() < 4) continue;
      const TextEncoding found = detectTextEncoding(m_head);
      const TextEncoding encoding = m_encoding ? namedEncodingFor(*m_encoding, m_head) : found;
      m_decoder = TextDecoder(encoding);
      bytes = m_head;
      // A BOM is skipped when it is the one of the encoding read.
      if (found == encoding)
        bytes.remove_prefix(std::min(bytes.size(), byteOrderMarkLength(encoding)));
      m_started = true;
    }
    m_decoder.decode(bytes, m_buffer);
    if (n == 0) {
      m_decoder.finish(m_buffer);
      m_eof = true;
      break;
    }
  }
  return m_buffer.size() > before;
}

bool TextScanner::matchesAt(size_t p, const std::string& s) const {
  // One-character delimiters and qualifiers are the rule: no call to compare for them.
  if (s.size() == 1) return p < m_buffer.size() && m_buffer[p] == s[0];
  return m_buffer.size() - p >= s.size() && m_buffer.compare(p, s.size(), s) == 0;
}

size_t TextScanner::rowDelimiterAt(size_t p) const {
  const char c = m_buffer[p];
  if (m_crlf) {
    if (c == '\n') return 1;
    if (c != '\r') return 0;
    if (p + 1 == m_buffer.size()) return m_eof ? 0 : kUnknown;
    return m_buffer[p + 1] == '\n' ? 2 : 0;
  }
  if (c != m_rowDelimiter[0]) return 0;
  if (m_rowDelimiter.size() == 1) return 1;
  if (m_buffer.size() - p < m_rowDelimiter.size() && !m_eof) return kUnknown;
  return matchesAt(p, m_rowDelimiter) ? m_rowDelimiter.size() : 0;
}

size_t TextScanner::columnDelimiterAt(size_t p) const {
  if (m_buffer[p] != m_columnDelimiter[0]) return 0;
  if (m_columnDelimiter.size() == 1) return 1;
  if (m_buffer.size() - p < m_columnDelimiter.size() && !m_eof) return kUnknown;
  return matchesAt(p, m_columnDelimiter) ? m_columnDelimiter.size() : 0;
}

// The first byte from `p` that may start a delimiter or the qualifier, or `end`: sixteen bytes
// at a time, as this search is most of what reading a file costs.
size_t TextScanner::nextStop(const char* b, size_t p, size_t end) const {
#ifdef __SSE2__
  const __m128i s0 = _mm_set1_epi8(m_stops[0]), s1 = _mm_set1_epi8(m_stops[1]);
  const __m128i s2 = _mm_set1_epi8(m_stops[2]), s3 = _mm_set1_epi8(m_stops[3]);
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + p));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, s0), _mm_cmpeq_epi8(v, s1)),
                                     _mm_or_si128(_mm_cmpeq_epi8(v, s2), _mm_cmpeq_epi8(v, s3)));
    if (const int mask = _mm_movemask_epi8(hit)) return p + size_t(__builtin_ctz(unsigned(mask)));
  }
#endif
  for (; p < end; ++p) {
    const char c = b[p];
    if (c == m_stops[0] || c == m_stops[1] || c == m_stops[2] || c == m_stops[3]) break;
  }
  return p;
}

TextScanner::Scan TextScanner::scanRecord(size_t& next, int64_t& breaks) {
  m_fieldCount = 0;
  breaks = 0;
  const char* b = m_buffer.data();
  const size_t end = m_buffer.size();
  const size_t qs = m_qualifier.size();
  if (m_begin == end) return m_eof ? Scan::End : Scan::NeedMore;
  size_t p = m_begin;
  while (true) {  // one field per turn
    const size_t start = p;
    bool quoted = false;
    if (qs > 0) {
      if (end - p < qs && !m_eof) return Scan::NeedMore;
      quoted = matchesAt(p, m_qualifier);
    }
    bool inside = quoted;
    const int64_t fieldLine = m_nextLine + breaks;  // where an unclosed qualifier opened
    if (quoted) p += qs;
    while (true) {
      // Stopping at a qualifier outside one costs a turn, and finds nothing to do.
      p = nextStop(b, p, end);
      if (p >= end) {
        if (!m_eof) return Scan::NeedMore;
        if (inside) {
          throw DataError(m_path + ": line " + std::to_string(fieldLine) +
                          ": unterminated quoted field (the text qualifier " + m_qualifier +
                          " opened there is never closed).");
        }
        addField(start, p - start, quoted);
        next = end;
        return Scan::Done;
      }
      const char c = b[p];
      if (quoted && c == m_qualifier[0]) {
        if (end - p < 2 * qs && !m_eof) return Scan::NeedMore;
        if (matchesAt(p, m_qualifier)) {
          if (inside && matchesAt(p + qs, m_qualifier)) {
            p += 2 * qs;  // a doubled qualifier stands for one
          } else {
            inside = !inside;
            p += qs;
          }
          continue;
        }
      }
      if (m_special[static_cast<unsigned char>(c)]) {
        size_t row = rowDelimiterAt(p);
        if (row == kUnknown) return Scan::NeedMore;
        if (row > 0) {
          if (inside) {
            ++breaks;
            p += row;
            continue;
          }
          addField(start, p - start, quoted);
          next = p + row;
          return Scan::Done;
        }
        if (!inside) {
          size_t column = columnDelimiterAt(p);
          if (column == kUnknown) return Scan::NeedMore;
          if (column > 0) {
            addField(start, p - start, quoted);
            p += column;
            break;
          }
        }
      }
      ++p;
    }
  }
}

void TextScanner::growFields() {
  m_fields.emplace_back();
}

void TextScanner::unquoteInPlace(Span& span) {
  const size_t qs = m_qualifier.size();
  char* b = m_buffer.data();
  const size_t end = span.start + span.length;
  // The usual case, "text" with no qualifier inside, needs no copy.
  if (span.length >= 2 * qs && m_buffer.compare(end - qs, qs, m_qualifier) == 0) {
    const char* inner = b + span.start + qs;
    size_t innerLength = span.length - 2 * qs;
    if (innerLength == 0 || std::memchr(inner, m_qualifier[0], innerLength) == nullptr) {
      span.start += qs;
      span.length = innerLength;
      return;
    }
  }
  auto qualifierAt = [&](size_t p) {
    return end - p >= qs && m_buffer.compare(p, qs, m_qualifier) == 0;
  };
  size_t r = span.start + qs;
  size_t w = span.start;
  bool inside = true;
  while (r < end) {
    if (qualifierAt(r)) {
      if (inside && qualifierAt(r + qs)) {
        std::memmove(b + w, b + r, qs);
        w += qs;
        r += 2 * qs;
      } else {
        inside = !inside;
        r += qs;
      }
      continue;
    }
    b[w++] = b[r++];
  }
  span.length = w - span.start;
}

bool TextScanner::nextRecord() {
  while (true) {
    size_t next = 0;
    int64_t breaks = 0;
    Scan scan = scanRecord(next, breaks);
    if (scan == Scan::NeedMore) {
      fill(std::max(m_raw.size(), m_buffer.size() - m_begin));
      continue;
    }
    if (scan == Scan::End) {
      m_fieldCount = 0;
      return false;
    }
    m_begin = next;
    m_line = m_nextLine;
    m_nextLine += 1 + breaks;
    if (m_fieldCount == 1 && m_fields[0].length == 0) continue;  // an empty row
    for (size_t i = 0; i < m_fieldCount; ++i) {
      if (m_fields[i].quoted) unquoteInPlace(m_fields[i]);
    }
    return true;
  }
}

TextScanner::Scan TextScanner::scanLine(size_t& next, size_t& contentEnd) {
  const char* b = m_buffer.data();
  const size_t end = m_buffer.size();
  if (m_begin == end) return m_eof ? Scan::End : Scan::NeedMore;
  size_t p = m_begin;
  while (true) {
    while (p < end && !m_special[static_cast<unsigned char>(b[p])]) ++p;
    if (p == end) {
      if (!m_eof) return Scan::NeedMore;
      contentEnd = next = end;
      return Scan::Done;
    }
    size_t row = rowDelimiterAt(p);
    if (row == kUnknown) return Scan::NeedMore;
    if (row > 0) {
      contentEnd = p;
      next = p + row;
      return Scan::Done;
    }
    ++p;
  }
}

bool TextScanner::nextLine() {
  while (true) {
    size_t next = 0, contentEnd = 0;
    Scan scan = scanLine(next, contentEnd);
    if (scan == Scan::NeedMore) {
      fill(std::max(m_raw.size(), m_buffer.size() - m_begin));
      continue;
    }
    m_fieldCount = 0;
    if (scan == Scan::End) return false;
    const size_t start = m_begin;
    m_begin = next;
    m_line = m_nextLine++;
    if (contentEnd == start) continue;  // an empty row
    addField(start, contentEnd - start, false);
    return true;
  }
}

void TextScanner::skipRows(int count) {
  for (int i = 0; i < count; ++i) {
    size_t next = 0, contentEnd = 0;
    Scan scan = scanLine(next, contentEnd);
    if (scan == Scan::NeedMore) {
      fill(std::max(m_raw.size(), m_buffer.size() - m_begin));
      --i;
      continue;
    }
    if (scan == Scan::End) return;
    m_begin = next;
    ++m_nextLine;
  }
}

}  // namespace kpx::data
