// Text-file encodings, their decoding to UTF-8 in chunks (so that a reader never holds a whole
// file) and the encoding back. A file is UTF-8 (with or without its BOM), UTF-16 little or big
// endian (with its BOM), or, when its bytes are not valid UTF-8, Windows-1252.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kpx::data {

enum class TextEncoding : uint8_t {
  Utf8,         // no BOM; turns into Windows-1252 at the first byte that is not UTF-8
  Utf8Bom,      // EF BB BF; bytes that are not UTF-8 become U+FFFD
  Utf16LE,      // FF FE
  Utf16BE,      // FE FF
  Windows1252,  // known not to be UTF-8
  Latin1,       // ISO 8859-1: every byte is the code point of its value
};

// The encoding a user names: "utf-8", "windows-1252" (or "cp1252"), "latin-1" (or
// "iso-8859-1"), "utf-16" (little endian unless a BOM says otherwise), letter case ignored;
// false for any other name. Utf-8 named so is Utf8Bom: strict, never turning into Windows-1252.
bool textEncodingNamed(std::string_view name, TextEncoding& encoding);
// The names textEncodingNamed takes, for messages.
inline constexpr const char* kTextEncodingNames = "utf-8, windows-1252, latin-1, utf-16";

// The encoding to read a file in when the user named `named` and the file starts with `head`:
// a BOM of the named family decides between UTF-16 byte orders and is skipped as usual.
TextEncoding namedEncodingFor(TextEncoding named, std::string_view head);

// Line (from 1) of the first byte of the file at `path` that is not part of a UTF-8
// character, 0 when there is none or the file starts with a BOM (and so is not guessed at).
int64_t firstNonUtf8Line(const std::string& path);

// The encoding of a file whose first bytes are `head` (any prefix; the longer, the surer):
// a BOM decides; otherwise Windows1252 when `head` holds a byte sequence that is not UTF-8
// (a sequence cut by the end of `head` does not count), else Utf8.
TextEncoding detectTextEncoding(std::string_view head);

// Number of bytes of the byte-order mark that starts a file in `encoding` (0 for none).
size_t byteOrderMarkLength(TextEncoding encoding);

// Decodes a byte stream to UTF-8 chunk by chunk. Bytes of a character cut by the end of a
// chunk are kept for the next call. Feed it the bytes after the BOM.
class TextDecoder {
 public:
  explicit TextDecoder(TextEncoding encoding) : m_encoding(encoding) {}

  // Appends the UTF-8 text of `bytes` to `out`.
  void decode(std::string_view bytes, std::string& out);
  // Ends the stream: a character left incomplete is appended as U+FFFD.
  void finish(std::string& out);
  // The encoding now in use: a Utf8 decoder reports Windows1252 once it has switched.
  TextEncoding encoding() const { return m_encoding; }

 private:
  void decodeUtf8(std::string_view bytes, std::string& out);
  void decodeUtf16(std::string_view bytes, std::string& out);

  TextEncoding m_encoding;
  unsigned char m_pending[4] = {};  // bytes of a character cut by the end of the last chunk
  size_t m_pendingCount = 0;
  uint32_t m_highSurrogate = 0;  // UTF-16 lead surrogate waiting for its trail
};

// Appends the UTF-8 form of code point `cp` (U+FFFD for a surrogate or a value past U+10FFFF).
void appendUtf8(uint32_t cp, std::string& out);

// `utf8` in `encoding`, its byte-order mark first for Utf8Bom and UTF-16, so that text written
// for a user to edit reads like the file it came from. A character Windows-1252 cannot hold
// becomes '?'.
std::string encodeText(std::string_view utf8, TextEncoding encoding);

}  // namespace kpx::data
