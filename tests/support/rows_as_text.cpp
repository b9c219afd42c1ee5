#include "support/rows_as_text.h"

namespace kpx::test {
namespace {

using kpx::data::ValueKind;

// What marks a value of `kind` in the rows: nothing for text, the kind's initial otherwise.
std::string kindMark(ValueKind kind) {
  switch (kind) {
    case ValueKind::String:
      return "";
    case ValueKind::Double:
      return "d:";
    case ValueKind::Currency:
      return "c:";
    case ValueKind::Date:
      return "t:";
    case ValueKind::Boolean:
      return "b:";
    case ValueKind::Integer:
      return "i:";
    case ValueKind::Decimal:
      return "n:";
    case ValueKind::Guid:
      return "g:";
    default:
      return "?:";
  }
}

}  // namespace

TextRows readRowsAsText(kpx::data::RowReader& reader, bool withKinds) {
  TextRows rows;
  while (reader.next()) {
    std::vector<std::string> row;
    for (size_t i = 0; i < reader.columns().size(); ++i) {
      const kpx::data::Value v = reader.field(i);
      if (v.isNull())
        row.push_back("<null>");
      else
        row.push_back((withKinds ? kindMark(v.kind) : "") + kpx::data::toText(v));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace kpx::test
