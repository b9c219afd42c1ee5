#include "data/providers/excel/row_spool.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/providers/excel/row_batch_queue.h"
#include "data/providers/excel/temporary_file.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {
namespace {

constexpr size_t kChunk = size_t(1) << 18;
constexpr size_t kRowHeader = 3 * sizeof(uint32_t);

template <typename T>
void put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

[[noreturn]] void unreadable() {
  throw DataError("The rows waiting to be written cannot be read back");
}

}  // namespace

RowSpool::RowSpool() {
  std::string folder;
  m_fd = unnamedTemporaryFile("kpxwizard-rows", folder);
  if (m_fd < 0)
    throw DataError("A temporary file for the rows to write cannot be made in '" + folder +
                    "': " + std::strerror(errno));
  m_out.reserve(kChunk + 4096);
}

RowSpool::~RowSpool() {
  ::close(m_fd);
}

// A row is its index, the bytes of its cells, its width (one past its last non-empty cell) and
// its non-empty cells, each its column, kind, style, and number or text: read back with one
// look at what is left of the buffer.
void RowSpool::append(const SheetRow& row) {
  const size_t start = m_out.size();
  m_out.append(kRowHeader, '\0');
  uint32_t width = 0;
  for (uint32_t c = 0; c < row.cells.size(); ++c) {
    const Cell& cell = row.cells[c];
    if (cell.empty()) continue;
    width = c + 1;
    put(m_out, c);
    put(m_out, cell.kind);
    put(m_out, cell.style);
    if (cell.kind != CellKind::Text) {
      put(m_out, cell.number);
    } else {
      put(m_out, uint32_t(cell.text.size()));
      m_out += cell.text;
    }
  }
  const uint32_t header[] = {row.index, uint32_t(m_out.size() - start - kRowHeader), width};
  std::memcpy(m_out.data() + start, header, kRowHeader);
  if (m_out.size() >= kChunk) writeOut();
}

void RowSpool::writeOut() {
  for (size_t done = 0; done < m_out.size();) {
    ssize_t n = ::write(m_fd, m_out.data() + done, m_out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw DataError(std::string("The rows waiting to be written cannot be kept: ") +
                      std::strerror(n < 0 ? errno : ENOSPC));
    done += size_t(n);
  }
  m_out.clear();
}

void RowSpool::rewind() {
  writeOut();
  m_in.clear();
  m_inAt = 0;
  m_readOffset = 0;
}

bool RowSpool::haveUnread(size_t n) {
  if (m_in.size() - m_inAt >= n) return true;
  m_in.erase(m_in.begin(), m_in.begin() + ptrdiff_t(m_inAt));
  m_inAt = 0;
  while (m_in.size() < n) {
    const size_t have = m_in.size();
    m_in.resize(have + std::max(kChunk, n - have));
    const ssize_t got = ::pread(m_fd, m_in.data() + have, m_in.size() - have, off_t(m_readOffset));
    const int error = errno;
    m_in.resize(have + size_t(std::max<ssize_t>(got, 0)));
    if (got < 0 && error == EINTR) continue;  // a signal is not the end of the rows
    if (got < 0) unreadable();
    m_readOffset += uint64_t(got);
    if (got == 0) return false;
  }
  return true;
}

bool RowSpool::next(SheetRow& row) {
  if (!haveUnread(1)) return false;
  uint32_t header[3];
  if (!haveUnread(kRowHeader)) unreadable();
  std::memcpy(header, m_in.data() + m_inAt, kRowHeader);
  m_inAt += kRowHeader;
  if (!haveUnread(header[1])) unreadable();
  const char* at = m_in.data() + m_inAt;
  const char* const end = at + header[1];
  m_inAt += header[1];
  auto take = [&](auto& value) {
    if (size_t(end - at) < sizeof value) unreadable();
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
  };
  row.index = header[0];
  row.resetCells(header[2]);
  while (at < end) {
    uint32_t column;
    take(column);
    if (column >= row.cells.size()) unreadable();
    Cell& cell = row.cells[column];
    take(cell.kind);
    take(cell.style);
    if (cell.kind != CellKind::Text) {
      take(cell.number);
    } else {
      uint32_t size;
      take(size);
      if (size_t(end - at) < size) unreadable();
      cell.text.assign(at, size);
      at += size;
    }
  }
  return true;
}

bool SpoolingStream::next(SheetRow& row) {
  if (!m_rows.next(row)) return false;
  if (m_spool) {
    try {
      m_spool->append(row);
    } catch (const DataError&) {
      m_spool.reset();
    }
  }
  return true;
}

namespace {

class SpooledRows : public SheetRowStream {
 public:
  explicit SpooledRows(std::unique_ptr<RowSpool> spool) : m_spool(std::move(spool)) {
    m_spool->rewind();
  }
  bool next(SheetRow& row) override { return m_spool->next(row); }

 private:
  std::unique_ptr<RowSpool> m_spool;
};

}  // namespace

std::unique_ptr<SheetRowStream> spooledRows(std::unique_ptr<RowSpool> spool) {
  return std::make_unique<BackgroundRows>(std::make_unique<SpooledRows>(std::move(spool)));
}

}  // namespace kpx::data::excel
