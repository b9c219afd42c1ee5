#include "data/providers/excel/biff_records.h"

#include <cstring>
#include <stdexcept>

namespace kpx::data::excel {
namespace {
// Large enough for the longest record (65,535 bytes and its header) with room to read ahead.
constexpr size_t kWindow = 256 * 1024;
}  // namespace

BiffRecordReader::BiffRecordReader(std::shared_ptr<ByteFile> stream, uint64_t offset)
    : m_stream(std::move(stream)),
      m_size(m_stream->size()),
      m_buffer(kWindow, '\0'),
      m_start(offset) {}

bool BiffRecordReader::fill(size_t n) {
  if (m_end - m_pos >= n) return true;
  std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
  m_start += m_pos;
  m_end -= m_pos;
  m_last = m_last >= m_pos ? m_last - m_pos : 0;
  m_pos = 0;
  uint64_t left = m_start + m_end < m_size ? m_size - (m_start + m_end) : 0;
  size_t add = size_t(std::min<uint64_t>(left, m_buffer.size() - m_end));
  if (add > 0) m_stream->read(m_start + m_end, m_buffer.data() + m_end, add);
  m_end += add;
  return m_end >= n;
}

bool BiffRecordReader::next(BiffRecord& record) {
  if (!fill(4)) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(m_buffer.data() + m_pos);
  uint16_t id = uint16_t(p[0] | p[1] << 8);
  size_t length = size_t(p[2] | p[3] << 8);
  if (!fill(4 + length))
    throw std::runtime_error("a record runs past the end of the workbook stream");
  m_last = m_pos;
  record.id = id;
  record.data = std::string_view(m_buffer.data() + m_pos + 4, length);
  m_pos += 4 + length;
  return true;
}

}  // namespace kpx::data::excel
