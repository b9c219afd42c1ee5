// Rows waiting to be written into a workbook, kept in an unnamed temporary file rather than in
// memory: the file is removed from its folder as soon as it is made, so nothing is left
// behind however the process ends.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

class RowSpool {
 public:
  // Throws DataError when no temporary file can be made in $TMPDIR (or /tmp).
  RowSpool();
  ~RowSpool();
  RowSpool(const RowSpool&) = delete;
  RowSpool& operator=(const RowSpool&) = delete;

  void append(const SheetRow& row);
  // Starts reading the rows back from the first; `next` then gives them in order.
  void rewind();
  bool next(SheetRow& row);

 private:
  void writeOut();
  // Makes at least `n` unread bytes ready in m_in; false at the end of the file.
  bool haveUnread(size_t n);

  int m_fd = -1;
  // Rows are coded into memory and written in large pieces: one system call per cell field
  // would cost more than the sheet's parse.
  std::string m_out;
  std::vector<char> m_in;
  size_t m_inAt = 0;
  uint64_t m_readOffset = 0;
};

// Passes on the rows of `rows`, keeping a copy of each in `spool` for a second reading that
// need not parse the sheet again. Should the spool fail (a full disk), it is dropped and the
// rows still pass.
class SpoolingStream : public SheetRowStream {
 public:
  SpoolingStream(SheetRowStream& rows, std::unique_ptr<RowSpool>& spool)
      : m_rows(rows), m_spool(spool) {}
  bool next(SheetRow& row) override;

 private:
  SheetRowStream& m_rows;
  std::unique_ptr<RowSpool>& m_spool;
};

// The rows of a spool read back from the first, as a sheet's stream.
std::unique_ptr<SheetRowStream> spooledRows(std::unique_ptr<RowSpool> spool);

}  // namespace kpx::data::excel
