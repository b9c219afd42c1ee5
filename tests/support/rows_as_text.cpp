#include "support/rows_as_text.h"

namespace kpx::test {

using kpx::data::ValueKind;

TextRows readRowsAsText(kpx::data::RowReader& reader, bool withKinds) {
  TextRows rows;
  while (reader.next()) {
    std::vector<std::string> row;
    for (size_t i = 0; i < reader.columns().size(); ++i) {
      const kpx::data::Value v = reader.field(i);
      if (v.isNull()) {
        row.push_back("<null>");
        continue;
      }
      std::string prefix;
      if (withKinds) {
        switch (v.kind) {
          case ValueKind::String:
            break;
          case ValueKind::Double:
            prefix = "d:";
            break;
          case ValueKind::Currency:
            prefix = "c:";
            break;
          case ValueKind::Date:
            prefix = "t:";
            break;
          case ValueKind::Boolean:
            prefix = "b:";
            break;
          case ValueKind::Integer:
            prefix = "i:";
            break;
          default:
            prefix = "?:";
            break;
        }
      }
      row.push_back(prefix + kpx::data::toText(v));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace kpx::test
