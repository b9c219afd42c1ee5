#include "data/providers/excel/sheet_table.h"

#include <cmath>

#include "data/providers/excel/format_rendering.h"
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

// A header cell's text: a number or date as the workbook shows it, since that is the name the
// user sees above the column.
std::string headerText(const Cell& c, const WorkbookStreams& book) {
  if (c.kind == CellKind::Number || c.kind == CellKind::Currency || c.kind == CellKind::Date)
    return renderNumber(c.number, book.formatCode(c.style));
  return cellText(c);
}

size_t usedWidth(const std::vector<Cell>& cells) {
  size_t w = cells.size();
  while (w > 0 && cells[w - 1].empty()) --w;
  return w;
}

// What one column's values have in common so far.
struct ColumnTally {
  bool any = false, numbers = true, money = true, dates = true, booleans = true, longText = false;

  void add(const Cell& cell) {
    any = true;
    numbers = numbers && (cell.kind == CellKind::Number || cell.kind == CellKind::Currency);
    money = money && cell.kind == CellKind::Currency;
    dates = dates && cell.kind == CellKind::Date;
    booleans = booleans && cell.kind == CellKind::Boolean;
    // Only text grows past 255 characters, and never with fewer bytes than characters.
    longText = longText || (cell.kind == CellKind::Text && cell.text.size() > 255 &&
                            codePoints(cell.text) > 255);
  }
  AdoType type() const {
    if (any && money) return adCurrency;
    if (any && numbers) return adDouble;
    if (any && dates) return adDate;
    if (any && booleans) return adBoolean;
    return longText ? adLongVarWChar : adVarWChar;
  }
};

class SheetReader : public RowReader {
 public:
  SheetReader(std::unique_ptr<SheetRowStream> rows, SheetShape shape, bool header)
      : m_end(shape.usedRows),
        m_columns(std::move(shape.columns)),
        m_rows(std::move(rows)),
        m_row(header ? 0 : -1),
        m_scratch(m_columns.size()) {}

  const std::vector<ColumnInfo>& columns() const override { return m_columns; }

  bool next() override {
    if (m_row + 1 >= int64_t(m_end)) {
      m_row = int64_t(m_end);
      return false;
    }
    ++m_row;
    if (!m_started) {
      m_havePending = m_rows->next(m_pending);
      m_started = true;
    }
    while (m_havePending && int64_t(m_pending.index) < m_row)
      m_havePending = m_rows->next(m_pending);
    m_cells = m_havePending && int64_t(m_pending.index) == m_row ? &m_pending.cells : &m_blank;
    const auto& cells = *m_cells;
    for (size_t i = 0; i < m_columns.size() && i < cells.size(); ++i) {
      bool text = m_columns[i].type == adVarWChar || m_columns[i].type == adLongVarWChar;
      if (text && cells[i].kind != CellKind::Text && !cells[i].empty())
        m_scratch[i] = cellText(cells[i]);
    }
    return true;
  }

  Value field(size_t i) const override {
    const auto& cells = *m_cells;
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
  uint32_t m_end;
  std::vector<ColumnInfo> m_columns;
  std::unique_ptr<SheetRowStream> m_rows;
  int64_t m_row;
  bool m_started = false, m_havePending = false;
  SheetRow m_pending;
  const std::vector<Cell> m_blank;
  const std::vector<Cell>* m_cells = &m_blank;
  std::vector<std::string> m_scratch;
};

}  // namespace

SheetShape sheetShape(SheetRowStream& rows, bool header, const WorkbookStreams& book) {
  std::vector<ColumnTally> tallies;
  std::vector<std::string> names;
  uint32_t used = 0;
  SheetRow row;
  while (rows.next(row)) {
    const size_t width = usedWidth(row.cells);
    if (width == 0) continue;
    used = row.index + 1;
    if (tallies.size() < width) tallies.resize(width);
    if (header && row.index == 0) {
      names.resize(width);
      for (size_t c = 0; c < width; ++c) names[c] = headerText(row.cells[c], book);
      continue;
    }
    for (size_t c = 0; c < width; ++c)
      if (!row.cells[c].empty()) tallies[c].add(row.cells[c]);
  }
  // An empty sheet is a table of one unnamed column, like a sheet whose first row is blank,
  // so that it can be read (no rows) and chosen as a destination.
  if (tallies.empty()) tallies.resize(1);
  SheetShape shape{std::vector<ColumnInfo>(tallies.size()), used};
  for (size_t c = 0; c < tallies.size(); ++c) {
    ColumnInfo& col = shape.columns[c];
    col.name = c < names.size() && !names[c].empty() ? names[c] : "F" + std::to_string(c + 1);
    col.attributes = adColNullable;
    col.type = tallies[c].type();
    col.size = col.type == adVarWChar ? 255 : 0;
  }
  return shape;
}

std::unique_ptr<RowReader> openSheetReader(std::unique_ptr<SheetRowStream> rows, SheetShape shape,
                                           bool header) {
  return std::make_unique<SheetReader>(std::move(rows), std::move(shape), header);
}

}  // namespace kpx::data::excel
