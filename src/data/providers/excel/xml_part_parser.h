// One XML part parsed piece by piece as it is inflated, into an XmlHandler: by expat, or by the
// XmlScanner for the big parts whose speed matters, with expat taking over from the start any
// part the scanner cannot read on its own.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "data/providers/excel/xml_scanner.h"

struct XML_ParserStruct;

namespace kpx::data::excel {

class XmlPartParser {
 public:
  // Reads up to `capacity` bytes of the part into `out`; 0 at its end.
  using Reader = std::function<size_t(char* out, size_t capacity)>;

  // `open` returns a reader of the part from its first byte; it is called once more when the
  // scanner hands the part over. `name` names the part in messages.
  XmlPartParser(std::string name, std::function<Reader()> open, XmlHandler& handler, bool scan);
  ~XmlPartParser();
  XmlPartParser(const XmlPartParser&) = delete;
  XmlPartParser& operator=(const XmlPartParser&) = delete;

  // Parses the next piece; false once the whole part is parsed. Throws std::runtime_error
  // naming the part when it is not well-formed.
  bool feed();

 private:
  void useExpat();
  [[noreturn]] void notWellFormed(uint64_t line, const char* what) const;

  std::string m_name;
  std::function<Reader()> m_open;
  Reader m_read;
  XmlHandler& m_handler;
  std::unique_ptr<XmlScanner> m_scanner;
  XML_ParserStruct* m_expat = nullptr;
};

}  // namespace kpx::data::excel
