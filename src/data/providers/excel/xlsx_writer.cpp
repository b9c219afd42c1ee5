#include "data/providers/excel/xlsx_writer.h"

#include <xlsxwriter.h>

#include <cmath>
#include <stdexcept>

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
  lxw_format* money = workbook_add_format(book);
  format_set_num_format(money, "[$$-409]#,##0.00##");

  for (const Sheet& sheet : workbook.sheets) {
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
            e = worksheet_write_number(ws, row, col, cell.number,
                                       cell.number == std::floor(cell.number) ? date : dateTime);
            break;
        }
        if (e != LXW_NO_ERROR)
          fail("sheet '" + sheet.name + "', row " + std::to_string(r + 1) + ": " + lxw_strerror(e));
      }
    }
  }
  lxw_error e = workbook_close(book);
  if (e != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(e));
}

}  // namespace kpx::data::excel
