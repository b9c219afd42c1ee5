// Reads arbitrary bytes as an XML part twice, once with expat alone and once with the scanner
// (handing over to expat as the workbook reader does), and aborts when the two disagree: events
// that differ, or one refusing what the other reads. The scanner knowingly accepts more than
// expat in one place: a name's characters outside ASCII are not checked against the Unicode
// name classes (a reader loses nothing by reading such a name; expat's tables for them are
// large), so a refusal by expat as an invalid token is accepted when a name the scanner read
// holds such a character.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/providers/excel/xml_part_parser.h"

namespace {

using kpx::data::excel::XmlHandler;
using kpx::data::excel::XmlPartParser;

struct Recorder : XmlHandler {
  std::string events;
  bool nonAsciiName = false;
  void name(std::string_view n) {
    for (char c : n) nonAsciiName |= (unsigned char)c >= 0x80;
    events += n;
  }
  void start(std::string_view n, const char** attrs) override {
    events += "\n<";
    name(n);
    for (int i = 0; attrs[i]; i += 2) {
      events += ' ';
      name(attrs[i]);
      events += "=\"";
      events += attrs[i + 1];
      events += '"';
    }
    events += ">\n";
  }
  void end(std::string_view n) override {
    events += "\n</";
    name(n);
    events += ">\n";
  }
  void text(std::string_view s) override { events += s; }
};

// Reads `bytes` in pieces of up to `piece` bytes; the error message, or "" when they are read.
std::string parse(std::string_view bytes, bool scan, size_t piece, Recorder& recorder) {
  auto open = [&] {
    return [bytes, piece, at = size_t(0)](char* out, size_t capacity) mutable {
      const size_t n = std::min({capacity, piece, bytes.size() - at});
      std::memcpy(out, bytes.data() + at, n);
      at += n;
      return n;
    };
  };
  try {
    XmlPartParser parser("part", open, recorder, scan);
    while (parser.feed()) {
    }
    return "";
  } catch (const std::runtime_error& e) {
    return e.what();
  }
}

// Whether a tag's name or a processing instruction's target holds a byte outside ASCII: the
// events carry an element's name without its prefix, where such a byte may have been.
bool isTagNameOutsideAscii(std::string_view bytes) {
  for (size_t at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at + 1)) {
    size_t i = at + 1;
    if (i < bytes.size() && (bytes[i] == '/' || bytes[i] == '?')) ++i;
    for (; i < bytes.size() && !std::strchr(" \t\r\n>/?", bytes[i]); ++i)
      if ((unsigned char)bytes[i] >= 0x80) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Recorder expat, scanner;
  const std::string expatError = parse(bytes, false, 1 << 17, expat);
  // Small pieces put element, reference and character boundaries across two pieces; read
  // whole, elements take the scanner's shortcuts, which need them whole in its buffer. (Before
  // a fault, the two may have reported different lengths of text. Where expat may take over,
  // its message for a fault can depend on where its pieces end.)
  const std::string scannerError = parse(bytes, true, size % 7 + 1, scanner);
  Recorder whole;
  const std::string wholeError = parse(bytes, true, bytes.size() + 1, whole);
  const bool expatMayTakeOver = bytes.find("<!DOCTYPE") != std::string_view::npos ||
                                (bytes.find("encoding") != std::string_view::npos &&
                                 bytes.find("encoding=\"UTF-8\"") == std::string_view::npos) ||
                                bytes.find('\0') != std::string_view::npos ||
                                (size > 0 && data[0] >= 0xFE);
  if (wholeError.empty() != scannerError.empty() ||
      (wholeError != scannerError && !expatMayTakeOver) ||
      (wholeError.empty() && whole.events != scanner.events)) {
    std::fprintf(stderr, "in pieces: %s\nwhole: %s\n--- in pieces\n%s\n--- whole\n%s\n",
                 scannerError.c_str(), wholeError.c_str(), scanner.events.c_str(),
                 whole.events.c_str());
    std::abort();
  }
  if (!expatError.empty() && !scannerError.empty()) return 0;
  if (expatError.empty() && scannerError.empty() && expat.events == scanner.events) return 0;
  if (scannerError.empty() && expatError.find("(invalid token)") != std::string::npos &&
      (scanner.nonAsciiName || isTagNameOutsideAscii(bytes)))
    return 0;
  std::fprintf(stderr, "expat: %s\nscanner: %s\n--- expat events\n%s\n--- scanner events\n%s\n",
               expatError.c_str(), scannerError.c_str(), expat.events.c_str(),
               scanner.events.c_str());
  std::abort();
}
