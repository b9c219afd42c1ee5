// Conversions between the interface's counted UTF-16 strings and the model's UTF-8 text.
#pragma once
#include <string>
#include <string_view>

#include "kpxwizard/kpxautomation.h"

namespace kpx::automation {

// A new counted string holding `utf8` (invalid bytes become U+FFFD).
KPX_BSTR allocString(std::string_view utf8);
// The text of `s` in UTF-8 (a null string is empty; lone surrogates become U+FFFD).
std::string toUtf8(KPX_BSTR s);

}  // namespace kpx::automation
