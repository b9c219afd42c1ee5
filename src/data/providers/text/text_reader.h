// The rows of a delimited or fixed-width text file as a RowReader.
//
// Columns: a delimited file has as many columns as its first row has fields, named by that
// row when "First Row Column Name" is True, else Col001, Col002…, each 200 (adVarChar) of
// size 255; a fixed-width file has one 129 (adChar) column per width, sized by it, named by
// "Column Names", else by its first row when that holds names, else Col001…. All nullable.
//
// Values: an empty unqualified field is null, a qualified empty field ("") the empty text.
// Fixed-width fields lose the blanks around them; an all-blank field is null. A column named
// in textColumnDateOrders() for this file gives its day-first or month-first values as dates.
//
// Ragged rows: a row with fewer fields than columns gives null for the missing ones (files
// often leave trailing empty fields out); a row with more fields than columns, or a
// fixed-width row with text past the last width, is a RowError naming the line, since
// dropping the extra text would lose data without a word.
#pragma once
#include <memory>
#include <vector>

#include "data/providers/provider.h"
#include "data/providers/text/text_format.h"
#include "data/providers/text/text_scanner.h"
#include "data/text/date_order.h"

namespace kpx::data {

class TextRowReader : public RowReader {
 public:
  // Opens the file and reads as far as its columns are known. Throws DataError.
  // `readSize`: see TextScanner.
  explicit TextRowReader(const TextFormat& format, size_t readSize = TextScanner::kDefaultReadSize);

  const std::vector<ColumnInfo>& columns() const override { return m_columns; }
  bool next() override;
  Value field(size_t i) const override;
  ReadProgress progress() const override;

 private:
  void readDelimitedHeader();
  void readFixedHeader();
  // Cuts the current line of a fixed-width file into m_slices; false when text is left
  // past the last width.
  bool sliceFixedLine();
  Value text(size_t i) const;  // the field as the file writes it

  TextFormat m_format;
  TextScanner m_scanner;
  std::vector<ColumnInfo> m_columns;
  bool m_havePending = false;              // the first data row is already in the scanner
  std::vector<std::string_view> m_slices;  // fixed width: the fields of the current row
  std::vector<DateOrder> m_dateOrders;     // by column; empty when no column is day/month-first
};

// "Col001", "Col002"…: the name of column `index` (from 0) of a file without names.
std::string defaultColumnName(size_t index);

}  // namespace kpx::data
