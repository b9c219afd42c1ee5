// Splits a text file into rows and fields as it reads it, through a buffer whose size
// depends on the longest row and not on the file. Field texts are views into that buffer;
// doubled qualifiers are undone in place, so no field costs an allocation.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/providers/text/text_format.h"
#include "data/text/text_decoding.h"

namespace kpx::data {

class TextScanner {
 public:
  static constexpr size_t kDefaultReadSize = 64 * 1024;

  // Opens the file of `format`, to be read `readSize` bytes at a time (tests make it tiny
  // to cut rows everywhere); throws DataError naming the file when it cannot be opened.
  explicit TextScanner(const TextFormat& format, size_t readSize = kDefaultReadSize);
  ~TextScanner();
  TextScanner(const TextScanner&) = delete;
  TextScanner& operator=(const TextScanner&) = delete;

  // Passes over `count` rows as the row delimiter cuts them, ignoring qualifiers (skipped
  // rows are titles and notes, where a stray quote must not swallow the data).
  void skipRows(int count);

  // Reads the next row of a delimited file into its fields, honouring the qualifier: a
  // field that starts with it may hold delimiters, row delimiters and doubled qualifiers.
  // Rows with no character at all are passed over. False at the end of the file. Throws
  // DataError for a qualified field that the file ends inside.
  bool nextRecord();
  // Reads the next row without looking inside it (fixed-width files); empty rows are passed
  // over. False at the end of the file.
  bool nextLine();

  // Fields of the current row (nextLine gives one field: the whole row).
  size_t fieldCount() const { return m_fieldCount; }
  std::string_view field(size_t i) const {
    return {m_buffer.data() + m_fields[i].start, m_fields[i].length};
  }
  // True when field i was written between qualifiers (so empty means "", not null).
  bool quoted(size_t i) const { return m_fields[i].quoted; }

  // Line of the file where the current row starts, from 1, counting skipped rows and the
  // header, and the row delimiters inside qualified fields.
  int64_t line() const { return m_line; }
  const std::string& path() const { return m_path; }
  // Bytes of the file read so far and its size.
  int64_t bytesRead() const { return m_bytesRead; }
  int64_t fileSize() const { return m_fileSize; }

 private:
  struct Span {
    size_t start;
    size_t length;
    bool quoted;
  };
  enum class Scan { Done, NeedMore, End };

  Scan scanRecord(size_t& next, int64_t& breaks);
  Scan scanLine(size_t& next, size_t& contentEnd);
  // Length of the row delimiter at `p`, 0 when there is none, or npos when the buffer ends
  // before that can be known.
  size_t rowDelimiterAt(size_t p) const;
  size_t nextStop(const char* b, size_t p, size_t end) const;
  size_t columnDelimiterAt(size_t p) const;
  bool matchesAt(size_t p, const std::string& s) const;
  // Drops the text before the current position and appends at least `atLeast` more decoded
  // bytes (or what is left). False when the file has nothing more.
  bool fill(size_t atLeast);
  // Spans are overwritten in place from row to row: growing the vector anew for every row
  // cost as much as finding the fields.
  void addField(size_t start, size_t length, bool quoted) {
    if (m_fieldCount == m_fields.size()) [[unlikely]]
      growFields();
    m_fields[m_fieldCount++] = {start, length, quoted};
  }
  void growFields();  // out of line, so that addField is small enough to inline
  void unquoteInPlace(Span& span);

  std::string m_path;
  std::string m_rowDelimiter;
  std::string m_columnDelimiter;
  std::string m_qualifier;
  bool m_crlf;  // the row delimiter is CR LF, so a lone LF ends a row too
  std::optional<TextEncoding> m_encoding;  // the encoding the user named, if any
  bool m_special[256] = {};                // bytes that may start a column or row delimiter
  char m_stops[4] = {};  // those bytes and the qualifier's first, repeated to fill four
  int m_fd = -1;
  TextDecoder m_decoder{TextEncoding::Utf8};
  bool m_started = false;  // the BOM has been looked at
  std::string m_head;      // the first bytes, until the encoding is decided
  bool m_eof = false;      // the whole file is in m_buffer
  std::string m_buffer;    // decoded text; m_begin is where unread text starts
  size_t m_begin = 0;
  std::vector<char> m_raw;     // one read() worth of file bytes
  std::vector<Span> m_fields;  // the first m_fieldCount are the current row's
  size_t m_fieldCount = 0;
  int64_t m_line = 1;
  int64_t m_nextLine = 1;
  int64_t m_bytesRead = 0;
  int64_t m_fileSize = 0;
};

}  // namespace kpx::data
