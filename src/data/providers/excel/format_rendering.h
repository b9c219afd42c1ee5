// A number written as a workbook shows it under its cell's number format, for the places where
// a number becomes a name (a header cell naming its column).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kpx::data::excel {

// The code of a format every workbook has without storing it ("0.00%" for id 10); "General"
// for an id without one.
std::string builtInFormatCode(uint32_t id);

// `value` (a date as an OLE Automation date) as format `code` shows it: digits, decimals,
// thousands separators, percent, scientific notation, literal text and currency symbols, or a
// date and time with English month and day names. A negative value takes the code's second
// section when it has one. A form it does not know is shown as General: the number to the 15
// significant digits a workbook keeps, without trailing zeros.
std::string renderNumber(double value, std::string_view code);

}  // namespace kpx::data::excel
