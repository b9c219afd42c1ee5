// The values of a workbook held in memory: sheets of rows of cells, as the .xls and .xlsx
// readers produce them and the writers consume them. Formatting, formulas and charts are not
// kept: a cell is its value (a formula its last computed result).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kpx::data::excel {

enum class CellKind : uint8_t { Empty, Number, Currency, Date, Boolean, Text };

struct Cell {
  CellKind kind = CellKind::Empty;
  // How the workbook shows a Number, Currency or Date cell: its cell format (XF) index, whose
  // format code WorkbookStreams::formatCode gives. It sits in the padding after `kind`.
  uint16_t style = 0;
  double number = 0;  // Number, Currency; Date as an OLE Automation date; Boolean 1 or 0
  std::string text;   // Text, UTF-8

  static Cell ofNumber(double d) { return {CellKind::Number, 0, d, {}}; }
  static Cell ofCurrency(double d) { return {CellKind::Currency, 0, d, {}}; }
  static Cell ofDate(double oleDate) { return {CellKind::Date, 0, oleDate, {}}; }
  static Cell ofBoolean(bool b) { return {CellKind::Boolean, 0, b ? 1.0 : 0.0, {}}; }
  static Cell ofText(std::string s) { return {CellKind::Text, 0, 0, std::move(s)}; }
  bool empty() const { return kind == CellKind::Empty; }
};
static_assert(sizeof(Cell) == 16 + sizeof(std::string), "a cell holds millions of times");

struct Sheet {
  std::string name;
  std::vector<std::vector<Cell>> rows;  // rows[r][c]; a row may be shorter than others

  // Puts a cell at (row, column), growing the grid as needed.
  void set(uint32_t row, uint32_t column, Cell cell);
  // Number of rows up to the last one holding a non-empty cell.
  size_t usedRows() const;
};

enum class WorkbookFormat { Xls, Xlsx };

struct Workbook {
  std::vector<Sheet> sheets;
  // Finds a sheet by name without regard to case; nullptr when absent.
  Sheet* find(const std::string& name);
};

// The largest sheet each format holds.
struct SheetLimits {
  uint32_t rows;
  uint32_t columns;
};
SheetLimits limitsOf(WorkbookFormat format);

}  // namespace kpx::data::excel
