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

void RowSpool::append(const SheetRow& row) {
  uint32_t filled = 0;
  for (const Cell& c : row.cells) filled += c.empty() ? 0 : 1;
  put(m_out, row.index);
  put(m_out, filled);
  for (uint32_t c = 0; c < row.cells.size(); ++c) {
    const Cell& cell = row.cells[c];
    if (cell.empty()) continue;
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
  auto take = [&](auto& value) {
    if (!haveUnread(sizeof value)) unreadable();
    std::memcpy(&value, m_in.data() + m_inAt, sizeof value);
    m_inAt += sizeof value;
  };
  if (!haveUnread(1)) return false;
  uint32_t filled;
  take(row.index);
  take(filled);
  row.cells.clear();
  for (; filled > 0; --filled) {
    uint32_t column;
    take(column);
    if (column >= row.cells.size()) row.cells.resize(size_t(column) + 1);
    Cell& cell = row.cells[column];
    take(cell.kind);
    take(cell.style);
    if (cell.kind != CellKind::Text) {
      take(cell.number);
    } else {
      uint32_t size;
      take(size);
      if (!haveUnread(size)) unreadable();
      cell.text.assign(m_in.data() + m_inAt, size);
      m_inAt += size;
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
