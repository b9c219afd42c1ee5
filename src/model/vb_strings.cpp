#include "model/vb_strings.h"

#include <algorithm>

#include "kpxwizard/automation_error.h"

namespace kpx::vb {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;

bool isEscapedByte(char32_t c) {
  return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not one.
size_t sequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const auto continuation = [&](size_t k) {
    return i + k < text.size() && (byte(k) & 0xC0) == 0x80;
  };
  unsigned char b = byte(0);
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return continuation(1) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    if (!continuation(1) || !continuation(2)) return 0;
    if (b == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
    if (b == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if (b == 0xF0 && byte(1) < 0x90) return 0;   // overlong
    if (b == 0xF4 && byte(1) >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

std::string trimmed(std::string_view text, bool leading, bool trailing) {
  // Spaces are single bytes, so the trim can work on bytes directly.
  size_t b = 0;
  size_t e = text.size();
  if (leading)
    while (b < e && text[b] == ' ') ++b;
  if (trailing)
    while (e > b && text[e - 1] == ' ') --e;
  return std::string(text.substr(b, e - b));
}

}  // namespace

void raiseInvalidCall() {
  throw AutomationError(kErrInvalidCall, "kpxwizard", "Invalid procedure call or argument");
}

std::u32string decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t len = sequenceLength(text, i);
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (len == 0) {
      out += kEscapeBase + b;
      ++i;
      continue;
    }
    char32_t c = len == 1 ? b : b & (0x7F >> len);
    for (size_t k = 1; k < len; ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += c;
    i += len;
  }
  return out;
}

void appendUtf8(char32_t c, std::string& out) {
  if (isEscapedByte(c)) {
    out += static_cast<char>(c - kEscapeBase);
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string encode(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) appendUtf8(c, out);
  return out;
}

char32_t upperOf(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 32;
  if (c < 0x80) return c;
  if (c == 0xB5) return 0x39C;                             // micro sign
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;  // à..þ
  if (c == 0xFF) return 0x178;                             // ÿ
  if (c >= 0x100 && c <= 0x17F) {                          // Latin Extended-A pairs
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 0 ? c - 1 : c;
    if (c == 0x131) return U'I';
    if (c == 0x17F) return U'S';
    return (c % 2 == 1 && c != 0x138 && c != 0x149) ? c - 1 : c;
  }
  if (c == 0x3C2) return 0x3A3;                 // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return c - 32;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 32;  // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

int64_t Len(std::string_view text) {
  int64_t n = 0;
  for (size_t i = 0; i < text.size(); ++n) i += std::max<size_t>(1, sequenceLength(text, i));
  return n;
}

std::string UCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : decode(text)) appendUtf8(upperOf(c), out);
  return out;
}

std::string LTrim(std::string_view text) {
  return trimmed(text, true, false);
}
std::string RTrim(std::string_view text) {
  return trimmed(text, false, true);
}
std::string Trim(std::string_view text) {
  return trimmed(text, true, true);
}

std::string Left(std::string_view text, int64_t length) {
  if (length < 0) raiseInvalidCall();
  std::u32string s = decode(text);
  return encode(std::u32string_view(s).substr(0, static_cast<size_t>(length)));
}

std::string Right(std::string_view text, int64_t length) {
  if (length < 0) raiseInvalidCall();
  std::u32string s = decode(text);
  size_t n = std::min(s.size(), static_cast<size_t>(length));
  return encode(std::u32string_view(s).substr(s.size() - n));
}

std::string Mid(std::string_view text, int64_t start, int64_t length) {
  if (start < 1) raiseInvalidCall();
  std::u32string s = decode(text);
  if (static_cast<uint64_t>(start) > s.size()) return {};
  size_t count = length < 0 ? std::u32string::npos : static_cast<size_t>(length);
  return encode(std::u32string_view(s).substr(static_cast<size_t>(start - 1), count));
}

int64_t InStr(std::string_view text, std::string_view find, int64_t start) {
  if (start < 1) raiseInvalidCall();
  if (text.empty()) return 0;
  std::u32string s = decode(text);
  if (static_cast<uint64_t>(start) > s.size()) return 0;
  if (find.empty()) return start;
  size_t p = s.find(decode(find), static_cast<size_t>(start - 1));
  return p == std::u32string::npos ? 0 : static_cast<int64_t>(p) + 1;
}

int64_t InStrRev(std::string_view text, std::string_view find) {
  std::u32string s = decode(text);
  if (find.empty()) return static_cast<int64_t>(s.size()) + 1;
  size_t p = s.rfind(decode(find));
  return p == std::u32string::npos ? 0 : static_cast<int64_t>(p) + 1;
}

std::string Replace(std::string_view text, std::string_view find, std::string_view with) {
  // Valid UTF-8 is self-synchronising and escaped bytes stay single bytes, so a byte search
  // finds exactly the character matches.
  if (find.empty()) return std::string(text);
  std::string out;
  size_t from = 0;
  for (size_t p = text.find(find); p != std::string_view::npos; p = text.find(find, from)) {
    out.append(text, from, p - from);
    out.append(with);
    from = p + find.size();
  }
  out.append(text, from, std::string_view::npos);
  return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t from = 0;
  for (size_t p = text.find(delimiter); p != std::string_view::npos;
       p = text.find(delimiter, from)) {
    pieces.emplace_back(text.substr(from, p - from));
    from = p + delimiter.size();
  }
  pieces.emplace_back(text.substr(from));
  return pieces;
}

std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter) {
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out.append(delimiter);
    out.append(pieces[i]);
  }
  return out;
}

int StrCompBinary(std::string_view a, std::string_view b) {
  std::u32string x = decode(a);
  std::u32string y = decode(b);
  return x < y ? -1 : (x == y ? 0 : 1);
}

}  // namespace kpx::vb
