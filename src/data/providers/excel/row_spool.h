// Rows waiting to be written into a workbook, kept in an unnamed temporary file rather than in
// memory: the file is removed from its folder as soon as it is made, so nothing is left
// behind however the process ends.
#pragma once
#include <cstdio>
#include <string>

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
  std::FILE* m_file = nullptr;
};

}  // namespace kpx::data::excel
