// Column types of a table whose cells are all text (an HTML table), by the every-row rule: a
// column takes a type only when every non-empty cell reads as that type, so no value is lost
// or changed by a guess.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/providers/provider.h"

namespace kpx::data::html {

// Defined size reported for long text columns (203), as Jet reports its memo columns.
inline constexpr int32_t kLongTextSize = 536870910;

// What one cell's text reads as. Only forms that mean one thing in any language convert:
// plain numbers ("-12", "3.25"; no thousands separators, no exponent, no leading zeros, at most
// 15 significant digits), a plain number with a currency sign before or after it ("$12.50",
// "12,50" does not count), ISO dates ("2024-02-29", "2024-02-29 13:05[:07]", "…T…") and
// True/False in any case. Everything else is text.
enum class CellType { Number, Currency, Date, Boolean, Text };
CellType classifyCell(std::string_view text);

// A typed table: column descriptions and the rows as values of those types.
struct TypedRows {
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<StoredValue>> rows;
};

// Types the columns of `cells` (rows of text, the first row excluded by the caller) named by
// `names`: 5 when every non-empty cell is a number, 6 all currency, 7 all dates, 11 all
// booleans, else 202 of size 255, or 203 when a value is longer than 255 characters. A column
// without any value is text. Empty cells are nulls.
TypedRows typeColumns(const std::vector<std::string>& names,
                      const std::vector<std::vector<std::optional<std::string>>>& cells,
                      size_t firstRow);

}  // namespace kpx::data::html
