#include "data/text/text_decoding.h"

#include <gtest/gtest.h>

#include <cstdio>

using kpx::data::TextDecoder;
using kpx::data::TextEncoding;

namespace {

struct DecodeCase {
  const char* name;
  std::string bytes;     // the whole file, BOM included
  TextEncoding detected;
  std::string text;      // UTF-8 after decoding to the end
};

std::string decodeInChunks(const std::string& bytes, size_t chunk) {
  TextEncoding encoding = kpx::data::detectTextEncoding(bytes);
  TextDecoder decoder(encoding);
  std::string out;
  std::string_view rest = std::string_view(bytes).substr(kpx::data::byteOrderMarkLength(encoding));
  while (!rest.empty()) {
    size_t n = std::min(chunk, rest.size());
    decoder.decode(rest.substr(0, n), out);
    rest.remove_prefix(n);
  }
  decoder.finish(out);
  return out;
}

class TextDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TextDecoding, DetectsAndDecodesWhateverTheChunkSize) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(kpx::data::detectTextEncoding(c.bytes), c.detected);
  for (size_t chunk : {1, 2, 3, 5, 7, 64}) {
    EXPECT_EQ(decodeInChunks(c.bytes, chunk), c.text) << "chunks of " << chunk;
  }
}

const DecodeCase kCases[] = {
    {"Empty", "", TextEncoding::Utf8, ""},
    {"Ascii", "a,b\r\n1,2\r\n", TextEncoding::Utf8, "a,b\r\n1,2\r\n"},
    {"Utf8NoBom", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", TextEncoding::Utf8,
     "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
    {"Utf8Bom", "\xEF\xBB\xBFK\xC3\xB6ln", TextEncoding::Utf8Bom, "K\xC3\xB6ln"},
    {"Utf8BomBadByteBecomesReplacement", "\xEF\xBB\xBF" "a\xFF" "b", TextEncoding::Utf8Bom,
     "a\xEF\xBF\xBD" "b"},
    {"Utf8BomTruncatedAtEnd", "\xEF\xBB\xBF" "a\xE2\x82", TextEncoding::Utf8Bom, "a\xEF\xBF\xBD"},
    {"Windows1252Letters", "caf\xE9;na\xEFve;\x80" "5", TextEncoding::Windows1252,
     "caf\xC3\xA9;na\xC3\xAFve;\xE2\x82\xAC" "5"},
    {"Windows1252SmartQuotes", "\x93quoted\x94 \x96 \x85", TextEncoding::Windows1252,
     "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x93 \xE2\x80\xA6"},
    {"Windows1252UndefinedByteKeepsItsNumber", "\x81", TextEncoding::Windows1252, "\xC2\x81"},
    {"OverlongIsNotUtf8", "\xC0\xAF", TextEncoding::Windows1252, "\xC3\x80\xC2\xAF"},
    {"EncodedSurrogateIsNotUtf8", "\xED\xA0\x80", TextEncoding::Windows1252,
     "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
    {"CutSequenceAtEndOfFileIsWindows1252", "ab\xC3", TextEncoding::Utf8, "ab\xC3\x83"},
    {"Utf16LE", std::string("\xFF\xFE" "A\0\xE9\0\xAC\x20", 8), TextEncoding::Utf16LE,
     "A\xC3\xA9\xE2\x82\xAC"},
    {"Utf16BE", std::string("\xFE\xFF\0A\0\xE9\x20\xAC", 8), TextEncoding::Utf16BE,
     "A\xC3\xA9\xE2\x82\xAC"},
    {"Utf16SurrogatePair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextEncoding::Utf16LE,
     "\xF0\x9F\x98\x80"},
    {"Utf16LoneSurrogates", std::string("\xFF\xFE\x3D\xD8" "A\0\x00\xDE", 8),
     TextEncoding::Utf16LE, "\xEF\xBF\xBD" "A\xEF\xBF\xBD"},
    {"Utf16OddTrailingByte", std::string("\xFF\xFE" "A\0B", 5), TextEncoding::Utf16LE,
     "A\xEF\xBF\xBD"},
};

INSTANTIATE_TEST_SUITE_P(Files, TextDecoding, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextDecodingSwitch, Utf8TurnsIntoWindows1252AtTheFirstForeignByte) {
  // A file that starts as plain ASCII and only later shows a Windows-1252 byte is read as
  // Windows-1252 from there on, even when the foreign byte arrives in a later chunk.
  TextDecoder decoder(TextEncoding::Utf8);
  std::string out;
  decoder.decode("Name;City\r\n", out);
  decoder.decode("Ren\xE9;M\xFCnchen\r\n", out);
  decoder.finish(out);
  EXPECT_EQ(out, "Name;City\r\nRen\xC3\xA9;M\xC3\xBCnchen\r\n");
  EXPECT_EQ(decoder.encoding(), TextEncoding::Windows1252);
}

}  // namespace
