// .xlsx files written through libxlsxwriter in constant-memory mode: each row goes to a
// temporary file as it is written, so a sheet of a million rows costs no more memory than one.
#include <xlsxwriter.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "data/providers/excel/temporary_file.h"
#include "data/providers/excel/workbook_stream.h"
#include "data/providers/excel/xlsx_exact_numbers.h"

namespace kpx::data::excel {
namespace {

class XlsxStreamWriter : public WorkbookStreamWriter {
 public:
  explicit XlsxStreamWriter(const std::string& path) : m_path(path), m_tmpdir(temporaryFolder()) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tmpdir.data();
    m_book = workbook_new_opt(path.c_str(), &options);
    if (!m_book) throw std::runtime_error("the file cannot be created");
    m_date = format("yyyy-mm-dd");
    m_dateTime = format("yyyy-mm-dd hh:mm:ss");
    m_milliseconds = format("yyyy-mm-dd hh:mm:ss.000");
    m_money = format("[$$-409]#,##0.00##");
  }
  ~XlsxStreamWriter() override {
    if (m_book) workbook_close(m_book);  // an unfinished file is the caller's to remove
  }

  void beginSheet(const std::string& name) override {
    m_sheet = workbook_add_worksheet(m_book, name.c_str());
    if (!m_sheet)
      throw std::runtime_error("sheet name '" + name + "' is not allowed in a workbook");
    m_sheetName = name;
    m_exact.beginSheet();
  }

  void writeRow(const SheetRow& row) override {
    auto r = lxw_row_t(row.index);
    for (size_t c = 0; c < row.cells.size(); ++c) {
      const Cell& cell = row.cells[c];
      auto col = lxw_col_t(c);
      lxw_error e = LXW_NO_ERROR;
      switch (cell.kind) {
        case CellKind::Empty:
          continue;
        case CellKind::Text:
          e = worksheet_write_string(m_sheet, r, col, cell.text.c_str(), nullptr);
          break;
        case CellKind::Boolean:
          e = worksheet_write_boolean(m_sheet, r, col, cell.number != 0, nullptr);
          break;
        case CellKind::Number:
          e = worksheet_write_number(m_sheet, r, col, cell.number, nullptr);
          break;
        case CellKind::Currency:
          e = worksheet_write_number(m_sheet, r, col, cell.number, m_money);
          break;
        case CellKind::Date:
          e = worksheet_write_number(m_sheet, r, col, cell.number, dateFormat(cell.number));
          break;
      }
      if (e != LXW_NO_ERROR)
        throw std::runtime_error("sheet '" + m_sheetName + "', row " + std::to_string(r + 1) +
                                 ": " + lxw_strerror(e));
      if (cell.kind != CellKind::Text && cell.kind != CellKind::Boolean)
        m_exact.note(row.index, uint32_t(c), cell.number);
    }
  }

  void finish() override {
    lxw_error e = workbook_close(m_book);
    m_book = nullptr;
    if (e != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(e));
    m_exact.writeInto(m_path);
  }

 private:
  lxw_format* format(const char* code) {
    lxw_format* f = workbook_add_format(m_book);
    format_set_num_format(f, code);
    return f;
  }
  lxw_format* dateFormat(double day) const {
    const double fraction = std::fabs(day - std::trunc(day));
    if (fraction == 0) return m_date;
    return std::llround(fraction * 86400000.0) % 1000 != 0 ? m_milliseconds : m_dateTime;
  }

  std::string m_path;
  std::string m_tmpdir;
  lxw_workbook* m_book = nullptr;
  lxw_worksheet* m_sheet = nullptr;
  std::string m_sheetName;
  lxw_format *m_date, *m_dateTime, *m_milliseconds, *m_money;
  ExactNumbers m_exact;
};

}  // namespace

std::unique_ptr<WorkbookStreamWriter> createXlsxStreamWriter(const std::string& path) {
  return std::make_unique<XlsxStreamWriter>(path);
}

}  // namespace kpx::data::excel
