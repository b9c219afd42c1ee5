#include "data/providers/excel/sheet_table.h"

#include <cmath>

#include "data/providers/excel/number_format.h"

namespace kpx::data::excel {
namespace {

std::string cellText(const Cell& c) {
  switch (c.kind) {
    case CellKind::Empty:
      return {};
    case CellKind::Text:
      return c.text;
    case CellKind::Boolean:
      return toText(Value::fromBool(c.number != 0));
    case CellKind::Date:
      return toText(Value::fromDate(c.number));
    case CellKind::Number:
    case CellKind::Currency:
      break;
  }
  return toText(Value::fromDouble(c.number));
}

class SheetReader : public RowReader {
 public:
  SheetReader(std::shared_ptr<const void> owner, const Sheet& sheet, bool header)
      : m_owner(std::move(owner)),
        m_sheet(sheet),
        m_columns(sheetColumns(sheet, header)),
        m_row(header ? 0 : -1),
        m_end(sheet.usedRows()),
        m_scratch(m_columns.size()) {}

  const std::vector<ColumnInfo>& columns() const override { return m_columns; }

  bool next() override {
    if (size_t(m_row + 1) >= m_end) {
      m_row = int64_t(m_end);
      return false;
    }
    ++m_row;
    const auto& cells = m_sheet.rows[size_t(m_row)];
    for (size_t i = 0; i < m_columns.size() && i < cells.size(); ++i) {
      bool text = m_columns[i].type == adVarWChar || m_columns[i].type == adLongVarWChar;
      if (text && cells[i].kind != CellKind::Text && !cells[i].empty())
        m_scratch[i] = cellText(cells[i]);
    }
    return true;
  }

  Value field(size_t i) const override {
    const auto& cells = m_sheet.rows[size_t(m_row)];
    if (i >= cells.size() || cells[i].empty()) return Value::null();
    const Cell& c = cells[i];
    switch (m_columns[i].type) {
      case adDouble:
        return Value::fromDouble(c.number);
      case adCurrency:
        return Value::fromCurrency(std::llround(c.number * 10000));
      case adDate:
        return Value::fromDate(c.number);
      case adBoolean:
        return Value::fromBool(c.number != 0);
      default:
        return Value::fromString(c.kind == CellKind::Text ? std::string_view(c.text)
                                                          : m_scratch[i]);
    }
  }

  ReadProgress progress() const override { return {std::max<int64_t>(m_row, 0), int64_t(m_end)}; }

 private:
  std::shared_ptr<const void> m_owner;
  const Sheet& m_sheet;
  std::vector<ColumnInfo> m_columns;
  int64_t m_row;
  size_t m_end;
  std::vector<std::string> m_scratch;
};

}  // namespace

std::vector<ColumnInfo> sheetColumns(const Sheet& sheet, bool header) {
  size_t rows = sheet.usedRows();
  size_t width = 0;
  for (size_t r = 0; r < rows; ++r) {
    size_t w = sheet.rows[r].size();
    while (w > 0 && sheet.rows[r][w - 1].empty()) --w;
    width = std::max(width, w);
  }
  // An empty sheet is a table of one unnamed column, like a sheet whose first row is blank,
  // so that it can be read (no rows) and chosen as a destination.
  width = std::max<size_t>(width, 1);
  std::vector<ColumnInfo> columns(width);
  for (size_t c = 0; c < width; ++c) {
    ColumnInfo& col = columns[c];
    const Cell* head = header && rows > 0 && c < sheet.rows[0].size() ? &sheet.rows[0][c] : nullptr;
    col.name = head && !head->empty() ? cellText(*head) : "F" + std::to_string(c + 1);
    bool any = false, numbers = true, money = true, dates = true, booleans = true;
    size_t longest = 0;
    for (size_t r = header ? 1 : 0; r < rows; ++r) {
      if (c >= sheet.rows[r].size() || sheet.rows[r][c].empty()) continue;
      const Cell& cell = sheet.rows[r][c];
      any = true;
      numbers = numbers && (cell.kind == CellKind::Number || cell.kind == CellKind::Currency);
      money = money && cell.kind == CellKind::Currency;
      dates = dates && cell.kind == CellKind::Date;
      booleans = booleans && cell.kind == CellKind::Boolean;
      longest = std::max(
          longest, cell.kind == CellKind::Text ? codePoints(cell.text) : cellText(cell).size());
    }
    col.attributes = adColNullable;
    if (any && money)
      col.type = adCurrency;
    else if (any && numbers)
      col.type = adDouble;
    else if (any && dates)
      col.type = adDate;
    else if (any && booleans)
      col.type = adBoolean;
    else
      col.type = longest > 255 ? adLongVarWChar : adVarWChar;
    col.size = col.type == adVarWChar ? 255 : 0;
  }
  return columns;
}

std::unique_ptr<RowReader> openSheetReader(std::shared_ptr<const void> owner, const Sheet& sheet,
                                           bool header) {
  return std::make_unique<SheetReader>(std::move(owner), sheet, header);
}

}  // namespace kpx::data::excel
