// What a cell's number format says about its value: a date, an amount of money or a plain
// number. Both file formats store every number as a double and tell dates apart only by
// the format applied to the cell.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "data/providers/excel/workbook.h"
#include "data/providers/value.h"

namespace kpx::data::excel {

enum class NumberClass : uint8_t { Plain, Date, Currency };

// Classifies a format code ("yyyy-mm-dd", "#,##0.00 [$€-410]", "0%"): a date when it holds
// day, month, year, hour or second symbols outside quoted text, escapes and [colour]
// brackets; money when it carries a currency sign; anything else a plain number.
NumberClass classifyFormat(std::string_view code);
// Classifies one of the formats every workbook has without storing it (ids 0 to 49).
NumberClass classifyBuiltInFormat(uint32_t id);

// Makes the cell a number has to be in a column of this class. A workbook's serial number
// becomes an OLE Automation date (the 1904 system counts 1462 days fewer).
Cell numberCell(double value, NumberClass cls, bool date1904);

// Text decoders for the strings the readers meet.
void appendUtf8(uint32_t codePoint, std::string& out);
std::string fromUtf16Le(std::string_view bytes);
std::string fromWindows1252(std::string_view bytes);
// UTF-16LE bytes of UTF-8 text; bytes that are not UTF-8 become U+FFFD.
std::string toUtf16Le(std::string_view utf8);

}  // namespace kpx::data::excel
