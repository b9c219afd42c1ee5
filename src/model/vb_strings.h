// String routines with the semantics of the classic Basic string functions the system's text
// rules are written in (Len, Mid, InStr, UCase, Trim, Replace, Split), over UTF-8 strings.
//
// Positions and lengths count Unicode code points, 1-based as in Basic. Bytes that are not valid
// UTF-8 count as one character each and come back unchanged, so no routine loses data.
// Where Basic raises "Invalid procedure call or argument" (a start below 1, a negative length)
// these routines throw AutomationError number 5 with that description.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::vb {

// Basic's run-time error 5; thrown by the routines below on an invalid argument.
inline constexpr int32_t kErrInvalidCall = 5;
[[noreturn]] void raiseInvalidCall();

// Code points of `text`; an invalid byte b becomes U+DC00 + b (never valid in UTF-8).
std::u32string decode(std::string_view text);
// The inverse of decode: U+DC80..U+DCFF become the raw bytes again.
std::string encode(std::u32string_view text);
// Appends the UTF-8 form of one code point (or the raw byte of an escaped one).
void appendUtf8(char32_t c, std::string& out);

// Simple upper-case mapping of one code point: Latin (Basic Latin, Latin-1, Latin Extended-A),
// Greek and Cyrillic letters; everything else is returned unchanged.
char32_t upperOf(char32_t c);

// Number of characters.
int64_t Len(std::string_view text);
// Upper-cased text; every character maps to exactly one, so positions are kept.
std::string UCase(std::string_view text);
// The text without leading, trailing, or both leading and trailing spaces (only U+0020).
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
std::string Trim(std::string_view text);
// The first / last `length` characters (all when longer). Negative length: error 5.
std::string Left(std::string_view text, int64_t length);
std::string Right(std::string_view text, int64_t length);
// Characters from `start` (1-based) on, at most `length` of them (negative: to the end).
// Start below 1: error 5. A start past the end gives "".
std::string Mid(std::string_view text, int64_t start, int64_t length = -1);
// 1-based position of the first `find` in `text` at or after `start`, 0 when absent.
// An empty text gives 0; an empty `find` gives `start`. Start below 1: error 5.
int64_t InStr(std::string_view text, std::string_view find, int64_t start = 1);
// 1-based position of the last `find` in `text`, 0 when absent (an empty `find` gives Len + 1).
int64_t InStrRev(std::string_view text, std::string_view find);
// Every non-overlapping `find`, left to right, replaced by `with`; an empty `find` changes nothing.
std::string Replace(std::string_view text, std::string_view find, std::string_view with);
// The pieces between the delimiters. An empty text gives no pieces; an empty delimiter gives
// the whole text as the one piece.
std::vector<std::string> Split(std::string_view text, std::string_view delimiter);
// The pieces joined with `delimiter` between them.
std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter);
// Binary comparison by character code: negative, 0 or positive.
int StrCompBinary(std::string_view a, std::string_view b);

}  // namespace kpx::vb
