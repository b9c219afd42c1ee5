#include "data/providers/excel/xlsx_writer.h"

#include <xlsxwriter.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "data/providers/excel/xlsx_exact_numbers.h"

namespace kpx::data::excel {

void writeXlsx(const Workbook& workbook, const std::string& path) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;  // rows go out as they are written
  lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
  if (!book) throw std::runtime_error("the file cannot be created");
  auto fail = [book](const std::string& why) {
    workbook_close(book);
    throw std::runtime_error(why);
  };
  lxw_format* date = workbook_add_format(book);
  format_set_num_format(date, "yyyy-mm-dd");
  lxw_format* dateTime = workbook_add_format(book);
  format_set_num_format(dateTime, "yyyy-mm-dd hh:mm:ss");
  lxw_format* milliseconds = workbook_add_format(book);
  format_set_num_format(milliseconds, "yyyy-mm-dd hh:mm:ss.000");
  auto dateFormat = [&](double day) {
    const double fraction = std::fabs(day - std::trunc(day));
    if (fraction == 0) return date;
    return std::llround(fraction * 86400000.0) % 1000 != 0 ? milliseconds : dateTime;
  };
  std::vector<std::vector<ExactNumber>> exact(workbook.sheets.size());
  lxw_format* money = workbook_add_format(book);
  format_set_num_format(money, "[$$-409]#,##0.00##");

  for (size_t s = 0; s < workbook.sheets.size(); ++s) {
    const Sheet& sheet = workbook.sheets[s];
    lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.c_str());
    if (!ws) fail("sheet name '" + sheet.name + "' is not allowed in a workbook");
    size_t rows = sheet.usedRows();
    for (size_t r = 0; r < rows; ++r) {
      for (size_t c = 0; c < sheet.rows[r].size(); ++c) {
        const Cell& cell = sheet.rows[r][c];
        lxw_error e = LXW_NO_ERROR;
        auto row = lxw_row_t(r);
        auto col = lxw_col_t(c);
        switch (cell.kind) {
          case CellKind::Empty:
            break;
          case CellKind::Text:
            e = worksheet_write_string(ws, row, col, cell.text.c_str(), nullptr);
            break;
          case CellKind::Boolean:
            e = worksheet_write_boolean(ws, row, col, cell.number != 0, nullptr);
            break;
          case CellKind::Number:
            e = worksheet_write_number(ws, row, col, cell.number, nullptr);
            break;
          case CellKind::Currency:
            e = worksheet_write_number(ws, row, col, cell.number, money);
            break;
          case CellKind::Date:
            e = worksheet_write_number(ws, row, col, cell.number, dateFormat(cell.number));
            break;
        }
        std::string text;
        if (cell.kind != CellKind::Empty && cell.kind != CellKind::Text &&
            cell.kind != CellKind::Boolean && needsExactText(cell.number, text))
          exact[s].push_back({uint32_t(r), uint32_t(c), std::move(text)});
        if (e != LXW_NO_ERROR)
          fail("sheet '" + sheet.name + "', row " + std::to_string(r + 1) + ": " + lxw_strerror(e));
      }
    }
  }
  lxw_error e = workbook_close(book);
  if (e != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(e));
  for (size_t s = 0; s < exact.size(); ++s)
    writeExactNumbers(path, "xl/worksheets/sheet" + std::to_string(s + 1) + ".xml", exact[s]);
}

}  // namespace kpx::data::excel
