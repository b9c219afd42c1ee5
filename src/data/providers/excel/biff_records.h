// BIFF records read one after another from a workbook stream that stays where it is: a
// window of the stream is held, never the stream.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

struct BiffRecord {
  uint16_t id = 0;
  std::string_view data;  // valid until the next call to the reader
};

class BiffRecordReader {
 public:
  BiffRecordReader(std::shared_ptr<ByteFile> stream, uint64_t offset);
  // The next record; false when fewer than a record header's bytes remain. Throws
  // std::runtime_error when a record runs past the end of the stream.
  bool next(BiffRecord& record);
  // Makes the record just read the next one again.
  void unread() { m_pos = m_last; }
  // Where the next record starts in the stream, and the stream's size.
  uint64_t position() const { return m_start + m_pos; }
  uint64_t size() const { return m_size; }

 private:
  // Makes at least `n` bytes available from m_pos when the stream has them.
  bool fill(size_t n);

  std::shared_ptr<ByteFile> m_stream;
  uint64_t m_size;
  std::string m_buffer;
  uint64_t m_start;   // the stream offset of m_buffer[0]
  size_t m_end = 0;   // bytes of m_buffer holding stream data
  size_t m_pos = 0;   // next record in m_buffer
  size_t m_last = 0;  // the record just read
};

}  // namespace kpx::data::excel
