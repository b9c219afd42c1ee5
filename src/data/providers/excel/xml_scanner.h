// A streaming tokenizer for the UTF-8 XML of big workbook parts. It emits the events expat
// would, at a fraction of expat's cost on the shape of a sheet (short elements, short text),
// decoding in place in its own buffer. It refuses what is not well-formed; a part it cannot
// read on its own (another encoding, a document type declaration) it hands back, before any
// event, for expat to read from the start.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::data::excel {

// The name after any namespace prefix.
inline std::string_view localName(std::string_view name) {
  size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Receives the events of one XML part: names without their prefix, attributes as a null-ended
// list of name, value pairs (names as written), character data in one or more pieces.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void start(std::string_view name, const char** attrs) = 0;
  virtual void end(std::string_view name) = 0;
  virtual void text(std::string_view) {}
  // An element holding one child element with text and nothing else, as most cells of a sheet
  // and most shared strings do (<c r="A1"><v>1</v></c>): its five events, the text left out
  // when empty. A handler of many such elements takes them in one call.
  virtual void leaf(std::string_view name, const char** attrs, std::string_view child,
                    const char** childAttrs, std::string_view content) {
    start(name, attrs);
    start(child, childAttrs);
    if (!content.empty()) text(content);
    end(child);
    end(name);
  }
};

// The part is not well-formed; `line` counts from 1.
struct XmlSyntaxError : std::runtime_error {
  XmlSyntaxError(uint64_t line, const char* what) : std::runtime_error(what), line(line) {}
  uint64_t line;
};

// The part declares an encoding other than UTF-8, is UTF-16 or has a document type
// declaration; nothing of it has been reported yet.
struct XmlNeedsFullParser {};

class XmlScanner {
 public:
  explicit XmlScanner(XmlHandler& handler) : m_handler(handler) {}

  // Room for `n` more bytes, to be written and then handed over with `scan`.
  char* space(size_t n);
  // Scans the `n` bytes written into `space`; `last` once the part has no more.
  void scan(size_t n, bool last);

 private:
  enum class Where : uint8_t { Start, Prolog, Content, Epilog };
  enum class Run : uint8_t { Text, Attribute, Cdata, Check };

  bool declaration();
  bool markup();
  bool text();
  bool startTag(char* p, char* close);
  bool leaf(char* p, char* end);
  char* plainAttributes(char* q, size_t& count, bool& mayRepeat);
  void refuseDuplicates(size_t from, size_t to);
  void terminate(size_t count);
  bool endTag(char* p);
  bool delimited(char* p, size_t skip, std::string_view closing, char*& found);
  char* decode(char* from, char* to, Run run);
  char* name(char* p, char* end);
  char* shortName(char* p, char* end);
  void countLinesTo(const char* to);
  [[noreturn]] void fail(const char* at, const char* what);

  XmlHandler& m_handler;
  std::vector<char> m_buf;
  size_t m_begin = 0, m_end = 0, m_counted = 0;
  uint64_t m_line = 1;
  bool m_last = false;
  Where m_where = Where::Start;
  std::string m_open;            // names of the open elements, each ended by '\0'
  std::vector<size_t> m_starts;  // where each begins in m_open
  // The attributes of the start tag being read, found before any of them is decoded.
  struct Attribute {
    char *name, *nameEnd, *value, *valueEnd;
    bool plain;  // needs no decoding
  };
  std::vector<Attribute> m_found;
  std::vector<const char*> m_attrs;
};

}  // namespace kpx::data::excel
