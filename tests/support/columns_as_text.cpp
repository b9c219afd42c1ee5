#include "support/columns_as_text.h"

namespace kpx::test {

std::string columnsAsText(const clsConnection& connection) {
  std::string out;
  for (const auto& col : *connection.Columns())
    out += col->Name() + ":" + std::to_string(col->DataType()) + "/" + std::to_string(col->Size()) +
           (col->Nullable() ? "n" : "") + " ";
  return out;
}

}  // namespace kpx::test
