// Conversions from text to numbers and booleans with the rules of the classic Basic CLng,
// CInt and CBool: blanks around the text are allowed, fractions round half to even, "True"
// and "False" (any case) read as -1 and 0. Text that is not a number raises run-time error 13
// ("Type mismatch"), a number out of range error 6 ("Overflow"); both name the text at fault.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace kpx::vb {

inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrTypeMismatch = 13;

// The value of a decimal number written as text (sign, digits, ".", exponent, blanks around);
// nullopt when the text is not such a number.
std::optional<double> parseNumber(std::string_view text);

// The text as a 32-bit / 16-bit integer.
int32_t CLng(std::string_view text);
int16_t CInt(std::string_view text);
// "True"/"False" in any case, or a number (true when it is not 0).
bool CBool(std::string_view text);
// A 32-bit value as a 16-bit one; error 6 when it does not fit. `what` names the value.
int16_t toInt16(int64_t value, std::string_view what);

}  // namespace kpx::vb
