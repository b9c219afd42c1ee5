// Stand-ins for the .xls streams until their own reader and writer arrive: the reader parses
// the whole file and hands the sheets out row by row, the writer collects every row and writes
// the file at finish.
#include <stdexcept>
#include <string>

#include "data/providers/excel/biff_reader.h"
#include "data/providers/excel/biff_writer.h"
#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {
namespace {

class HeldSheetStream : public SheetRowStream {
 public:
  HeldSheetStream(std::shared_ptr<const Workbook> book, const Sheet& sheet)
      : m_book(std::move(book)), m_sheet(sheet) {}
  bool next(SheetRow& row) override {
    for (; m_row < m_sheet.rows.size(); ++m_row) {
      const auto& cells = m_sheet.rows[m_row];
      bool any = false;
      for (const Cell& c : cells) any = any || !c.empty();
      if (!any) continue;
      row.index = uint32_t(m_row++);
      row.cells = cells;
      return true;
    }
    return false;
  }

 private:
  std::shared_ptr<const Workbook> m_book;
  const Sheet& m_sheet;
  size_t m_row = 0;
};

class HeldWorkbook : public WorkbookStreams {
 public:
  explicit HeldWorkbook(Workbook book) : m_book(std::make_shared<Workbook>(std::move(book))) {
    for (const Sheet& s : m_book->sheets) m_names.push_back(s.name);
  }
  const std::vector<std::string>& sheetNames() const override { return m_names; }
  std::unique_ptr<SheetRowStream> openSheet(size_t index) const override {
    return std::make_unique<HeldSheetStream>(m_book, m_book->sheets.at(index));
  }

 private:
  std::shared_ptr<const Workbook> m_book;
  std::vector<std::string> m_names;
};

class CollectingXlsWriter : public WorkbookStreamWriter {
 public:
  explicit CollectingXlsWriter(std::string path) : m_path(std::move(path)) {}
  void beginSheet(const std::string& name) override { m_book.sheets.push_back({name, {}}); }
  void writeRow(const SheetRow& row) override {
    for (uint32_t c = 0; c < row.cells.size(); ++c)
      if (!row.cells[c].empty()) m_book.sheets.back().set(row.index, c, row.cells[c]);
  }
  void finish() override {
    const std::string bytes = writeXls(m_book);
    FILE* out = std::fopen(m_path.c_str(), "wb");
    if (!out) throw std::runtime_error("the file cannot be created");
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) throw std::runtime_error("the file cannot be written");
  }

 private:
  std::string m_path;
  Workbook m_book;
};

}  // namespace

std::unique_ptr<WorkbookStreams> openXlsStreams(std::shared_ptr<ByteFile> file,
                                                const std::string& singleSheetName) {
  std::string bytes(file->size(), '\0');
  file->read(0, bytes.data(), bytes.size());
  return std::make_unique<HeldWorkbook>(readXls(bytes, singleSheetName));
}

std::unique_ptr<WorkbookStreamWriter> createXlsStreamWriter(const std::string& path) {
  return std::make_unique<CollectingXlsWriter>(path);
}

}  // namespace kpx::data::excel
