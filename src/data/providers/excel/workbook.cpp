#include "data/providers/excel/workbook.h"

#include "data/providers/text_compare.h"

namespace kpx::data::excel {

void Sheet::set(uint32_t row, uint32_t column, Cell cell) {
  if (row >= rows.size()) rows.resize(size_t(row) + 1);
  auto& r = rows[row];
  if (column >= r.size()) r.resize(size_t(column) + 1);
  r[column] = std::move(cell);
}

size_t Sheet::usedRows() const {
  size_t n = rows.size();
  while (n > 0) {
    bool any = false;
    for (const Cell& c : rows[n - 1]) any = any || !c.empty();
    if (any) break;
    --n;
  }
  return n;
}

Sheet* Workbook::find(const std::string& name) {
  for (Sheet& s : sheets)
    if (equalsIgnoringCase(s.name, name)) return &s;
  return nullptr;
}

SheetLimits limitsOf(WorkbookFormat format) {
  return format == WorkbookFormat::Xls ? SheetLimits{65536, 256} : SheetLimits{1048576, 16384};
}

}  // namespace kpx::data::excel
