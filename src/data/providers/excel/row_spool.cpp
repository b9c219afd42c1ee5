#include "data/providers/excel/row_spool.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/providers/excel/temporary_file.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {
namespace {

void put(std::FILE* f, const void* bytes, size_t size) {
  if (std::fwrite(bytes, 1, size, f) != size)
    throw DataError(std::string("The rows waiting to be written cannot be kept: ") +
                    std::strerror(errno));
}

template <typename T>
void put(std::FILE* f, T value) {
  put(f, &value, sizeof value);
}

template <typename T>
T get(std::FILE* f) {
  T value;
  if (std::fread(&value, sizeof value, 1, f) != 1)
    throw DataError("The rows waiting to be written cannot be read back");
  return value;
}

}  // namespace

RowSpool::RowSpool() {
  std::string folder;
  int fd = unnamedTemporaryFile("kpxwizard-rows", folder);
  if (fd < 0)
    throw DataError("A temporary file for the rows to write cannot be made in '" + folder +
                    "': " + std::strerror(errno));
  m_file = ::fdopen(fd, "w+b");
  if (!m_file) {
    ::close(fd);
    throw DataError("A temporary file for the rows to write cannot be opened");
  }
}

RowSpool::~RowSpool() {
  std::fclose(m_file);
}

void RowSpool::append(const SheetRow& row) {
  uint32_t filled = 0;
  for (const Cell& c : row.cells) filled += c.empty() ? 0 : 1;
  put(m_file, row.index);
  put(m_file, filled);
  for (uint32_t c = 0; c < row.cells.size(); ++c) {
    const Cell& cell = row.cells[c];
    if (cell.empty()) continue;
    put(m_file, c);
    put(m_file, cell.kind);
    if (cell.kind != CellKind::Text) {
      put(m_file, cell.number);
    } else {
      put(m_file, uint32_t(cell.text.size()));
      put(m_file, cell.text.data(), cell.text.size());
    }
  }
}

void RowSpool::rewind() {
  if (std::fflush(m_file) != 0 || std::fseek(m_file, 0, SEEK_SET) != 0)
    throw DataError(std::string("The rows waiting to be written cannot be read back: ") +
                    std::strerror(errno));
}

bool RowSpool::next(SheetRow& row) {
  uint32_t index;
  if (std::fread(&index, sizeof index, 1, m_file) != 1) return false;
  row.index = index;
  row.cells.clear();
  for (uint32_t n = get<uint32_t>(m_file); n > 0; --n) {
    uint32_t column = get<uint32_t>(m_file);
    if (column >= row.cells.size()) row.cells.resize(size_t(column) + 1);
    Cell& cell = row.cells[column];
    cell.kind = get<CellKind>(m_file);
    if (cell.kind != CellKind::Text) {
      cell.number = get<double>(m_file);
    } else {
      cell.text.resize(get<uint32_t>(m_file));
      if (std::fread(cell.text.data(), 1, cell.text.size(), m_file) != cell.text.size())
        throw DataError("The rows waiting to be written cannot be read back");
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
  return std::make_unique<SpooledRows>(std::move(spool));
}

}  // namespace kpx::data::excel
