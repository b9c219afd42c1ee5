// Feeds arbitrary bytes to the text-file reader under every layout the first bytes pick,
// read a few bytes at a time; also checks that decoding in chunks equals decoding at once.
// A crash, a hang or a mismatch is a bug; DataError and RowError are expected answers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/providers/text/text_reader.h"
#include "data/text/text_decoding.h"

using namespace kpx::data;

namespace {

const char* const kRowDelimiters[] = {"\r\n", ",", ";", "\t", "|", "\r", "\n", "ab"};
const char* const kColumnDelimiters[] = {",", ";", "\t", "|", "::", "\r\n", "\"", " "};
const char* const kQualifiers[] = {"", "\"", "'", "\"\""};
const char* const kEncodings[] = {"", "utf-8", "windows-1252", "latin-1", "utf-16"};

void checkChunkedDecoding(const std::string& bytes, size_t chunk) {
  TextEncoding encoding = detectTextEncoding(bytes);
  std::string whole, pieces;
  TextDecoder a(encoding), b(encoding);
  a.decode(bytes, whole);
  a.finish(whole);
  for (size_t at = 0; at < bytes.size(); at += chunk)
    b.decode(std::string_view(bytes).substr(at, chunk), pieces);
  b.finish(pieces);
  if (whole != pieces) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t layout = data[0], options = data[1], readSize = data[2];
  std::string bytes(reinterpret_cast<const char*>(data + 3), size - 3);
  checkChunkedDecoding(bytes, 1 + readSize % 7);

  static const std::string path =
      "/tmp/kpx_text_reader_fuzz_" + std::to_string(::getpid()) + ".txt";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  } else {
    return 0;
  }
  TextFormat format;
  format.path = path;
  format.rowDelimiter = kRowDelimiters[layout & 7];
  format.columnDelimiter = kColumnDelimiters[(layout >> 3) & 7];
  format.qualifier = kQualifiers[(layout >> 6) & 3];
  format.skipRows = options & 3;
  format.firstRowNames = options & 4;
  format.fixedWidth = options & 8;
  if (format.fixedWidth) format.widths = {1 + (options >> 4), 2, 3};
  TextEncoding named;
  if (textEncodingNamed(kEncodings[(readSize >> 4) % 5], named)) format.encoding = named;
  if (firstNonUtf8Line(path) < 0) std::abort();
  try {
    TextRowReader reader(format, 1 + readSize % 16);
    // Every row takes at least one byte of the input, its delimiter if nothing else: more rows
    // than bytes means the reader stopped moving on.
    for (size_t rows = 0;; ++rows) {
      if (rows > bytes.size() + 8) std::abort();
      try {
        if (!reader.next()) break;
      } catch (const RowError&) {
        continue;
      }
      for (size_t i = 0; i < reader.columns().size() + 1; ++i) {
        Value v = reader.field(i);
        if (!v.isNull() && v.text.size() > bytes.size() * 3 + 3) std::abort();
      }
      ReadProgress p = reader.progress();
      if (p.done > p.total) std::abort();
    }
  } catch (const DataError&) {
  }
  return 0;
}
