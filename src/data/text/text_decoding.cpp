#include "data/text/text_decoding.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace kpx::data {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Code points of bytes 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the
// C1 control of the same number, as Windows itself decodes them.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

enum class Utf8Check { Valid, Invalid, Incomplete };

// Checks the UTF-8 sequence that starts at p[0] (a byte >= 0x80) against the n bytes
// available; on Valid, `length` is its length and `cp` its code point.
Utf8Check checkUtf8(const unsigned char* p, size_t n, size_t& length, uint32_t& cp) {
  unsigned char b = p[0];
  unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return Utf8Check::Invalid;
  }
  for (size_t i = 1; i < length; ++i) {
    if (i >= n) return Utf8Check::Incomplete;
    unsigned char c = p[i];
    if (i == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) return Utf8Check::Invalid;
    cp = (cp << 6) | (c & 0x3F);
  }
  return Utf8Check::Valid;
}

// Length of the run of ASCII bytes at the start of p[0..n).
size_t asciiRun(const unsigned char* p, size_t n) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

void appendWindows1252(const unsigned char* p, size_t n, std::string& out) {
  while (n > 0) {
    size_t run = asciiRun(p, n);
    out.append(reinterpret_cast<const char*>(p), run);
    p += run;
    n -= run;
    if (n == 0) break;
    unsigned char b = *p++;
    --n;
    appendUtf8(b < 0xA0 ? kWindows1252High[b - 0x80] : b, out);
  }
}

// The next code point of valid UTF-8 at `at`, which moves past it.
uint32_t nextCodePoint(std::string_view text, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  uint32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
  for (size_t i = 1; i < length && at + i < text.size(); ++i)
    cp = (cp << 6) | (byte(at + i) & 0x3F);
  at += length;
  return cp;
}

// The byte of `cp` in Windows-1252: itself below 0x80 and from 0xA0 to 0xFF, one of the
// characters the bytes 0x80..0x9F hold, or '?'.
char windows1252Byte(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kWindows1252High[i] != 0 && kWindows1252High[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

void appendUtf16(uint32_t cp, bool bigEndian, std::string& out) {
  const auto unit = [&](uint32_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  if (cp < 0x10000) return unit(cp);
  cp -= 0x10000;
  unit(0xD800 | (cp >> 10));
  unit(0xDC00 | (cp & 0x3FF));
}

}  // namespace

void appendUtf8(uint32_t cp, std::string& out) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

TextEncoding detectTextEncoding(std::string_view head) {
  auto* p = reinterpret_cast<const unsigned char*>(head.data());
  size_t n = head.size();
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return TextEncoding::Utf8Bom;
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return TextEncoding::Utf16LE;
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return TextEncoding::Utf16BE;
  size_t i = 0;
  while (i < n) {
    i += asciiRun(p + i, n - i);
    if (i == n) break;
    size_t length = 0;
    uint32_t cp = 0;
    Utf8Check check = checkUtf8(p + i, n - i, length, cp);
    if (check == Utf8Check::Invalid) return TextEncoding::Windows1252;
    if (check == Utf8Check::Incomplete) break;
    i += length;
  }
  return TextEncoding::Utf8;
}

bool textEncodingNamed(std::string_view name, TextEncoding& encoding) {
  std::string folded;
  for (char c : name)
    folded.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (folded == "utf-8" || folded == "utf8") {
    encoding = TextEncoding::Utf8Bom;
  } else if (folded == "windows-1252" || folded == "cp1252") {
    encoding = TextEncoding::Windows1252;
  } else if (folded == "latin-1" || folded == "latin1" || folded == "iso-8859-1") {
    encoding = TextEncoding::Latin1;
  } else if (folded == "utf-16" || folded == "utf16") {
    encoding = TextEncoding::Utf16LE;
  } else {
    return false;
  }
  return true;
}

TextEncoding namedEncodingFor(TextEncoding named, std::string_view head) {
  const TextEncoding found = detectTextEncoding(head);
  if (named == TextEncoding::Utf16LE &&
      (found == TextEncoding::Utf16LE || found == TextEncoding::Utf16BE))
    return found;
  return named;
}

namespace {

// Where the run of ASCII bytes that starts at p[i] ends (n when it reaches it), looked at a
// word at a time: most files are ASCII throughout, and this check reads all of the file.
size_t endOfAscii(const unsigned char* p, size_t i, size_t n) {
  for (; n - i >= 8; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & 0x8080808080808080ull) break;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

}  // namespace

int64_t firstNonUtf8Line(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  std::string bytes;  // unread bytes: the start of a character cut by the chunk's end
  char chunk[65536];
  int64_t line = 1;
  bool first = true;
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 || !bytes.empty()) {
    const bool end = got == 0;
    bytes.append(chunk, got);
    auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (first && byteOrderMarkLength(detectTextEncoding(bytes)) > 0) break;
    first = false;
    size_t i = 0;
    while (i < n) {
      const size_t ascii = endOfAscii(p, i, n);
      line += std::count(p + i, p + ascii, '\n');
      i = ascii;
      if (i == n) break;
      size_t length = 0;
      uint32_t cp = 0;
      const Utf8Check check = checkUtf8(p + i, n - i, length, cp);
      if (check == Utf8Check::Invalid || (check == Utf8Check::Incomplete && end)) {
        std::fclose(file);
        return line;
      }
      if (check == Utf8Check::Incomplete) break;
      i += length;
    }
    bytes.erase(0, i);
    if (end) break;
  }
  std::fclose(file);
  return 0;
}

size_t byteOrderMarkLength(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom:
      return 3;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      return 2;
    default:
      return 0;
  }
}

void TextDecoder::decode(std::string_view bytes, std::string& out) {
  switch (m_encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
      decodeUtf8(bytes, out);
      break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      decodeUtf16(bytes, out);
      break;
    case TextEncoding::Windows1252:
      appendWindows1252(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
      break;
    case TextEncoding::Latin1:
      for (unsigned char b : bytes) appendUtf8(b, out);
      break;
  }
}

void TextDecoder::decodeUtf8(std::string_view bytes, std::string& out) {
  auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  if (m_pendingCount > 0) {
    // Finish the character cut by the last chunk on a small stitched copy.
    unsigned char stitch[8];
    size_t taken = n < 3 ? n : 3;
    std::memcpy(stitch, m_pending, m_pendingCount);
    std::memcpy(stitch + m_pendingCount, p, taken);
    size_t total = m_pendingCount + taken;
    size_t length = 0;
    uint32_t cp = 0;
    Utf8Check check = checkUtf8(stitch, total, length, cp);
    if (check == Utf8Check::Incomplete) {  // the chunk was too short to finish it
      std::memcpy(m_pending, stitch, total);
      m_pendingCount = total;
      return;
    }
    size_t pending = m_pendingCount;
    m_pendingCount = 0;
    if (check == Utf8Check::Valid) {
      appendUtf8(cp, out);
      p += length - pending;
      n -= length - pending;
    } else if (m_encoding == TextEncoding::Utf8) {
      m_encoding = TextEncoding::Windows1252;
      appendWindows1252(stitch, pending, out);
      appendWindows1252(p, n, out);
      return;
    } else {
      // The lead byte is bad: replace it and decode what followed it again.
      out.append("\xEF\xBF\xBD");
      std::string rest(reinterpret_cast<char*>(stitch + 1), pending - 1);
      rest.append(reinterpret_cast<const char*>(p), n);
      decodeUtf8(rest, out);
      return;
    }
  }
  size_t i = 0;
  while (i < n) {
    size_t run = asciiRun(p + i, n - i);
    out.append(reinterpret_cast<const char*>(p + i), run);
    i += run;
    if (i == n) break;
    size_t length = 0;
    uint32_t cp = 0;
    Utf8Check check = checkUtf8(p + i, n - i, length, cp);
    if (check == Utf8Check::Valid) {
      out.append(reinterpret_cast<const char*>(p + i), length);
      i += length;
    } else if (check == Utf8Check::Incomplete) {
      m_pendingCount = n - i;
      std::memcpy(m_pending, p + i, m_pendingCount);
      return;
    } else if (m_encoding == TextEncoding::Utf8) {
      // Not UTF-8 after all: what is left is Windows-1252. What came before was valid
      // UTF-8, which Windows-1252 text practically never is, so it stays as decoded.
      m_encoding = TextEncoding::Windows1252;
      appendWindows1252(p + i, n - i, out);
      return;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
}

void TextDecoder::decodeUtf16(std::string_view bytes, std::string& out) {
  auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  bool little = m_encoding == TextEncoding::Utf16LE;
  size_t i = 0;
  while (true) {
    unsigned char b0, b1;
    if (m_pendingCount == 1) {
      if (i >= n) return;
      b0 = m_pending[0];
      b1 = p[i++];
      m_pendingCount = 0;
    } else {
      if (i + 2 > n) {
        if (i < n) {
          m_pending[0] = p[i];
          m_pendingCount = 1;
        }
        return;
      }
      b0 = p[i];
      b1 = p[i + 1];
      i += 2;
    }
    uint32_t unit = little ? (b0 | (b1 << 8)) : ((b0 << 8) | b1);
    if (m_highSurrogate != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        appendUtf8(0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00), out);
        m_highSurrogate = 0;
        continue;
      }
      appendUtf8(kReplacement, out);
      m_highSurrogate = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      m_highSurrogate = unit;
    } else if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else {
      appendUtf8(unit, out);  // a lone trail surrogate becomes U+FFFD there
    }
  }
}

void TextDecoder::finish(std::string& out) {
  if (m_encoding == TextEncoding::Utf8 && m_pendingCount > 0) {
    // A sequence cut by the end of the file is not UTF-8.
    m_encoding = TextEncoding::Windows1252;
    appendWindows1252(m_pending, m_pendingCount, out);
  } else if (m_pendingCount > 0 || m_highSurrogate != 0) {
    appendUtf8(kReplacement, out);
  }
  m_pendingCount = 0;
  m_highSurrogate = 0;
}

std::string encodeText(std::string_view utf8, TextEncoding encoding) {
  std::string out;
  switch (encoding) {
    case TextEncoding::Utf8:
      return std::string(utf8);
    case TextEncoding::Utf8Bom:
      return "\xEF\xBB\xBF" + std::string(utf8);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool bigEndian = encoding == TextEncoding::Utf16BE;
      out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
      for (size_t at = 0; at < utf8.size();) appendUtf16(nextCodePoint(utf8, at), bigEndian, out);
      return out;
    }
    case TextEncoding::Windows1252:
      for (size_t at = 0; at < utf8.size();) out += windows1252Byte(nextCodePoint(utf8, at));
      return out;
    case TextEncoding::Latin1:
      for (size_t at = 0; at < utf8.size();) {
        const uint32_t cp = nextCodePoint(utf8, at);
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
      }
      return out;
  }
  return out;
}

}  // namespace kpx::data
