// Counted strings: a uint32 byte length, then the UTF-16 code units, then a NUL unit. The
// string pointer a host sees points at the first code unit.
#include "component/automation/strings.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "component/automation/hresults.h"
#include "model/vb_strings.h"

namespace kpx::automation {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

std::u16string toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  // Bytes that are not UTF-8 come back from decode as surrogate escapes: a host gets U+FFFD.
  for (char32_t cp : vb::decode(utf8)) {
    if (isSurrogate(cp)) cp = kReplacement;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 | (cp >> 10));
      out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

uint32_t byteLength(KPX_BSTR s) {
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const char*>(s) - sizeof(uint32_t), sizeof bytes);
  return bytes;
}

}  // namespace

KPX_BSTR allocString(std::string_view utf8) {
  std::u16string units = toUtf16(utf8);
  uint32_t bytes = static_cast<uint32_t>(units.size() * sizeof(char16_t));
  auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(char16_t)));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, &bytes, sizeof bytes);
  std::memcpy(block + sizeof(uint32_t), units.data(), bytes);
  std::memset(block + sizeof(uint32_t) + bytes, 0, sizeof(char16_t));
  return reinterpret_cast<KPX_BSTR>(block + sizeof(uint32_t));
}

std::string toUtf8(KPX_BSTR s) {
  if (!s) return {};
  size_t units = byteLength(s) / sizeof(uint16_t);
  std::string out;
  out.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (isSurrogate(cp)) {
      cp = kReplacement;
    }
    vb::appendUtf8(cp, out);
  }
  return out;
}

}  // namespace kpx::automation

using namespace kpx::automation;

extern "C" {

KPX_API KPX_BSTR kpxSysAllocStringUTF8(const char* utf8) {
  if (!utf8) return nullptr;
  try {
    return allocString(utf8);
  } catch (...) {
    return nullptr;
  }
}

KPX_API uint32_t kpxSysStringLen(KPX_BSTR s) {
  return s ? byteLength(s) / sizeof(uint16_t) : 0;
}

KPX_API void kpxSysFreeString(KPX_BSTR s) {
  if (s) std::free(reinterpret_cast<char*>(s) - sizeof(uint32_t));
}

KPX_API char* kpxBstrToUTF8(KPX_BSTR s) {
  try {
    std::string text = toUtf8(s);
    auto* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out) std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
  } catch (...) {
    return nullptr;
  }
}

KPX_API void kpxFree(void* p) {
  std::free(p);
}

}  // extern "C"
