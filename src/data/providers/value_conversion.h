// Conversion of a value to the kind a destination column holds, shared by every writer so
// that a value converts the same way into any destination.
#pragma once
#include <string>

#include "data/providers/provider.h"

namespace kpx::data {

// Converts `in` to what a column of `column.type` holds: integers for the integer codes,
// doubles for 4/5, currency for 6, decimal digits for 131, dates for 7/133/135, booleans for
// 11, GUIDs for 72, bytes for the binary codes and text for the text codes (text longer than
// a defined size is refused). Null stays null and 0/12 pass anything through. Text produced
// by the conversion is kept in `scratch`, which `out` then points into. Returns false when
// the value does not convert, and never changes a value silently (no clipping, no truncation).
bool convertValue(const Value& in, const ColumnInfo& column, Value& out, std::string& scratch);

// convertValue that throws RowError naming the column and the value when it does not convert.
Value convertForColumn(const Value& in, const ColumnInfo& column, std::string& scratch);

}  // namespace kpx::data
