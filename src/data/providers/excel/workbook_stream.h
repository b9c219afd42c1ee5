// A workbook read and written as streams of rows, so that no sheet is ever held whole: a
// sheet is read as often as needed (once for its column types, once for its rows) and a
// changed workbook is written by copying every sheet row by row into a new file.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/providers/excel/workbook.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {

// The bytes of a workbook file, read where they are needed rather than loaded whole.
class ByteFile {
 public:
  virtual ~ByteFile() = default;
  virtual uint64_t size() const = 0;
  // Reads `count` bytes at `offset`; throws std::runtime_error when they are not all there.
  virtual void read(uint64_t offset, void* out, size_t count) const = 0;
  // The file's path, or empty for bytes held in memory (tests and fuzzing).
  virtual const std::string& path() const = 0;
};

// A file read with pread. Throws DataError naming the file when it cannot be opened.
std::shared_ptr<ByteFile> openByteFile(const std::string& path);
// Bytes already in memory.
std::shared_ptr<ByteFile> bytesInMemory(std::string bytes);

// One row of a sheet: its index from 0 and its cells by column (trailing empty cells may be
// missing).
struct SheetRow {
  uint32_t index = 0;
  std::vector<Cell> cells;

  // Makes the row `width` empty cells. The cells keep their text's storage, so that filling
  // row after row costs no allocation.
  void resetCells(size_t width) {
    if (cells.size() > width) cells.resize(width);
    for (Cell& c : cells) {
      c.kind = CellKind::Empty;
      c.style = 0;
      c.number = 0;
      c.text.clear();
    }
    cells.resize(width);
  }
};

// The rows of one sheet in ascending index order; rows without any non-empty cell may be
// skipped.
class SheetRowStream {
 public:
  virtual ~SheetRowStream() = default;
  // Fills `row` with the next row, reusing its storage; false at the end. Throws
  // std::runtime_error describing the damage in a file that cannot be read.
  virtual bool next(SheetRow& row) = 0;
  // How far the stream has come (bytes or rows) against its total, 0 when unknown.
  virtual ReadProgress progress() const { return {}; }
};

// An opened workbook: the names of its sheets in workbook order, each readable any number of
// times. Holds the workbook-wide tables (shared strings, formats, date system), never a sheet.
class WorkbookStreams {
 public:
  virtual ~WorkbookStreams() = default;
  virtual const std::vector<std::string>& sheetNames() const = 0;
  virtual std::unique_ptr<SheetRowStream> openSheet(size_t index) const = 0;
  // The number format code of cell format `style` (Cell::style), built-in ones spelled out.
  virtual std::string formatCode(uint16_t) const { return "General"; }
};

// Opens an .xlsx (Office Open XML) workbook. Throws std::runtime_error describing the damage.
std::unique_ptr<WorkbookStreams> openXlsxStreams(std::shared_ptr<ByteFile> file);
// Opens an .xls of any generation; a bare BIFF2-4 worksheet is named `singleSheetName`.
// Throws std::runtime_error describing the damage.
std::unique_ptr<WorkbookStreams> openXlsStreams(std::shared_ptr<ByteFile> file,
                                                const std::string& singleSheetName);

// Writes a new workbook file sheet by sheet and row by row, in memory independent of its size.
class WorkbookStreamWriter {
 public:
  virtual ~WorkbookStreamWriter() = default;
  // Starts the next sheet (finishing the one before it).
  virtual void beginSheet(const std::string& name) = 0;
  // Adds a row to the current sheet; indices strictly ascend within a sheet. Cells must be
  // within the format's limits (checked by the caller).
  virtual void writeRow(const SheetRow& row) = 0;
  // Completes the file; nothing in it is usable before. Throws std::runtime_error on failure.
  virtual void finish() = 0;
};

// Writers of a new file `path` (replaced if present). Throw std::runtime_error on failure.
std::unique_ptr<WorkbookStreamWriter> createXlsxStreamWriter(const std::string& path);
std::unique_ptr<WorkbookStreamWriter> createXlsStreamWriter(const std::string& path);

}  // namespace kpx::data::excel
