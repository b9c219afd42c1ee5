#include "kpxwizard/columns.h"

namespace kpx {

void clsColumns::AddColumn(std::shared_ptr<clsColumn> column) {
  std::string key = column->Name();
  m_items.insert(key, std::move(column));
}

std::shared_ptr<clsColumn> clsColumns::Add(std::string_view strParCode) {
  auto column = std::make_shared<clsColumn>();
  column->setName(std::string(strParCode));
  m_items.insert(strParCode, column);
  return column;
}

}  // namespace kpx
