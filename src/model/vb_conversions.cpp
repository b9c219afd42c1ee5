#include "model/vb_conversions.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "kpxwizard/automation_error.h"
#include "kpxwizard/keyed_collection.h"
#include "model/vb_strings.h"

namespace kpx::vb {
namespace {

[[noreturn]] void typeMismatch(std::string_view text, const char* wanted) {
  throw AutomationError(kErrTypeMismatch, "kpxwizard",
                        "Type mismatch: \"" + std::string(text) + "\" is not " + wanted);
}

[[noreturn]] void overflow(std::string_view what) {
  throw AutomationError(kErrOverflow, "kpxwizard",
                        "Overflow: " + std::string(what) + " is out of range");
}

std::optional<double> booleanWord(std::string_view text) {
  std::string word = foldCase(Trim(text));
  if (word == "TRUE") return -1.0;
  if (word == "FALSE") return 0.0;
  return std::nullopt;
}

// The number or boolean word, rounded half to even as Basic's integer conversions do.
double roundedValue(std::string_view text) {
  std::optional<double> value = parseNumber(text);
  if (!value) value = booleanWord(text);
  if (!value) typeMismatch(text, "a number");
  return std::nearbyint(*value);  // the default rounding mode rounds half to even
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  // Only plain decimal notation: "inf", "nan" and hexadecimal are not numbers here.
  for (char c : trimmed)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
          c == 'e' || c == 'E'))
      return std::nullopt;
  // from_chars reads "." as the decimal point whatever the locale (a Qt program sets the
  // user's), but takes no leading "+".
  std::string_view digits = trimmed;
  if (digits.front() == '+') {
    digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') return std::nullopt;
  }
  double value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

int32_t CLng(std::string_view text) {
  double value = roundedValue(text);
  if (value < INT32_MIN || value > INT32_MAX) overflow("\"" + std::string(text) + "\"");
  return static_cast<int32_t>(value);
}

int16_t CInt(std::string_view text) {
  double value = roundedValue(text);
  if (value < INT16_MIN || value > INT16_MAX) overflow("\"" + std::string(text) + "\"");
  return static_cast<int16_t>(value);
}

bool CBool(std::string_view text) {
  if (auto word = booleanWord(text)) return *word != 0;
  std::optional<double> value = parseNumber(text);
  if (!value) typeMismatch(text, "True, False or a number");
  return *value != 0;
}

int16_t toInt16(int64_t value, std::string_view what) {
  if (value < INT16_MIN || value > INT16_MAX) overflow(what);
  return static_cast<int16_t>(value);
}

}  // namespace kpx::vb
