#include "data/providers/excel/xml_part_parser.h"

#include <expat.h>

namespace kpx::data::excel {
namespace {

// Large enough that the per-piece cost vanishes, small enough to stay in the cache.
constexpr size_t kChunk = 128 * 1024;

}  // namespace

XmlPartParser::XmlPartParser(std::string name, std::function<Reader()> open, XmlHandler& handler,
                             bool scan)
    : m_name(std::move(name)), m_open(std::move(open)), m_read(m_open()), m_handler(handler) {
  if (scan)
    m_scanner = std::make_unique<XmlScanner>(handler);
  else
    useExpat();
}

XmlPartParser::~XmlPartParser() {
  if (m_expat) XML_ParserFree(m_expat);
}

void XmlPartParser::useExpat() {
  if (m_scanner) {
    m_scanner.reset();
    m_read = m_open();
  }
  m_expat = XML_ParserCreate(nullptr);
  if (!m_expat) throw std::bad_alloc();
  XML_SetUserData(m_expat, &m_handler);
  XML_SetElementHandler(
      m_expat,
      [](void* h, const char* name, const char** attrs) {
        static_cast<XmlHandler*>(h)->start(localName(name), attrs);
      },
      [](void* h, const char* name) { static_cast<XmlHandler*>(h)->end(localName(name)); });
  XML_SetCharacterDataHandler(m_expat, [](void* h, const char* s, int len) {
    static_cast<XmlHandler*>(h)->text(std::string_view(s, size_t(len)));
  });
}

void XmlPartParser::notWellFormed(uint64_t line, const char* what) const {
  throw std::runtime_error("part '" + m_name + "' is not well-formed XML (line " +
                           std::to_string(line) + ": " + what + ")");
}

bool XmlPartParser::feed() {
  if (m_scanner) {
    const size_t n = m_read(m_scanner->space(kChunk), kChunk);
    try {
      m_scanner->scan(n, n == 0);
      return n > 0;
    } catch (const XmlSyntaxError& e) {
      notWellFormed(e.line, e.what());
    } catch (const XmlNeedsFullParser&) {
      useExpat();
      return true;
    }
  }
  void* buffer = XML_GetBuffer(m_expat, int(kChunk));
  if (!buffer) throw std::bad_alloc();
  const size_t n = m_read(static_cast<char*>(buffer), kChunk);
  if (XML_ParseBuffer(m_expat, int(n), n == 0) != XML_STATUS_OK)
    notWellFormed(XML_GetCurrentLineNumber(m_expat), XML_ErrorString(XML_GetErrorCode(m_expat)));
  return n > 0;
}

}  // namespace kpx::data::excel
