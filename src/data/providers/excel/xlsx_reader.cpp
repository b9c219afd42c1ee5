#include "data/providers/excel/xlsx_reader.h"

#include <expat.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "data/providers/excel/number_format.h"
#include "data/providers/value.h"

namespace kpx::data::excel {
namespace {

std::string_view localName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

const char* attribute(const char** attrs, std::string_view wanted) {
  for (int i = 0; attrs[i]; i += 2)
    if (localName(attrs[i]) == wanted) return attrs[i + 1];
  return nullptr;
}

// Receives the events of one XML part.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void start(std::string_view name, const char** attrs) = 0;
  virtual void end(std::string_view name) = 0;
  virtual void text(std::string_view) {}
};

class Archive {
 public:
  explicit Archive(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (src) m_zip = zip_open_from_source(src, ZIP_RDONLY, &error);
    if (!m_zip) {
      if (src) zip_source_free(src);
      std::string why = zip_error_strerror(&error);
      zip_error_fini(&error);
      throw std::runtime_error("the file is not a readable zip archive (" + why + ")");
    }
    zip_error_fini(&error);
  }
  ~Archive() { zip_discard(m_zip); }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool has(const std::string& part) const {
    return zip_name_locate(m_zip, part.c_str(), ZIP_FL_NOCASE) >= 0;
  }

  // Parses `part`, feeding the decompressed bytes to expat as they come.
  void parse(const std::string& part, XmlHandler& handler) const {
    zip_int64_t index = zip_name_locate(m_zip, part.c_str(), ZIP_FL_NOCASE);
    if (index < 0) throw std::runtime_error("the workbook has no part '" + part + "'");
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(m_zip, index, 0),
                                                            zip_fclose);
    if (!file)
      throw std::runtime_error("part '" + part +
                               "' cannot be decompressed: " + zip_strerror(m_zip));
    std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr),
                                                                        XML_ParserFree);
    XML_SetUserData(parser.get(), &handler);
    XML_SetElementHandler(
        parser.get(),
        [](void* h, const char* name, const char** attrs) {
          static_cast<XmlHandler*>(h)->start(localName(name), attrs);
        },
        [](void* h, const char* name) { static_cast<XmlHandler*>(h)->end(localName(name)); });
    XML_SetCharacterDataHandler(parser.get(), [](void* h, const char* s, int len) {
      static_cast<XmlHandler*>(h)->text(std::string_view(s, size_t(len)));
    });
    char buffer[65536];
    for (;;) {
      zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
      if (n < 0)
        throw std::runtime_error("part '" + part +
                                 "' is damaged: " + zip_file_strerror(file.get()));
      if (XML_Parse(parser.get(), buffer, int(n), n == 0) != XML_STATUS_OK)
        throw std::runtime_error("part '" + part + "' is not well-formed XML (line " +
                                 std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                                 XML_ErrorString(XML_GetErrorCode(parser.get())) + ")");
      if (n == 0) break;
    }
  }

 private:
  zip_t* m_zip = nullptr;
};

// "xl/workbook.xml" + "worksheets/sheet1.xml" → "xl/worksheets/sheet1.xml".
std::string resolve(const std::string& base, const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  std::string dir = base.substr(0, base.rfind('/') + 1);
  std::string t = target;
  while (t.rfind("../", 0) == 0) {
    t.erase(0, 3);
    if (!dir.empty()) {
      dir.pop_back();
      dir.erase(dir.rfind('/') + 1);
    }
  }
  return dir + t;
}

std::string relsOf(const std::string& part) {
  size_t slash = part.rfind('/') + 1;
  return part.substr(0, slash) + "_rels/" + part.substr(slash) + ".rels";
}

struct Relationships : XmlHandler {
  std::map<std::string, std::string> targetById;
  std::map<std::string, std::string> targetByType;  // last segment of the type URI
  void start(std::string_view name, const char** attrs) override {
    if (name != "Relationship") return;
    const char* id = attribute(attrs, "Id");
    const char* target = attribute(attrs, "Target");
    const char* type = attribute(attrs, "Type");
    if (!target) return;
    if (id) targetById[id] = target;
    if (type) {
      std::string_view t = type;
      targetByType[std::string(t.substr(t.rfind('/') + 1))] = target;
    }
  }
  void end(std::string_view) override {}
};

struct WorkbookPart : XmlHandler {
  struct Entry {
    std::string name, relId;
  };
  std::vector<Entry> sheets;
  bool date1904 = false;
  void start(std::string_view name, const char** attrs) override {
    if (name == "sheet") {
      const char* n = attribute(attrs, "name");
      const char* id = attribute(attrs, "id");
      if (n && id) sheets.push_back({n, id});
    } else if (name == "workbookPr") {
      const char* d = attribute(attrs, "date1904");
      date1904 = d && (std::strcmp(d, "1") == 0 || std::strcmp(d, "true") == 0);
    }
  }
  void end(std::string_view) override {}
};

struct StylesPart : XmlHandler {
  std::map<uint32_t, std::string> formats;
  std::vector<uint32_t> xfFormats;
  bool inCellXfs = false;
  void start(std::string_view name, const char** attrs) override {
    if (name == "numFmt") {
      const char* id = attribute(attrs, "numFmtId");
      const char* code = attribute(attrs, "formatCode");
      if (id && code) formats[uint32_t(std::strtoul(id, nullptr, 10))] = code;
    } else if (name == "cellXfs") {
      inCellXfs = true;
    } else if (name == "xf" && inCellXfs) {
      const char* id = attribute(attrs, "numFmtId");
      xfFormats.push_back(id ? uint32_t(std::strtoul(id, nullptr, 10)) : 0);
    }
  }
  void end(std::string_view name) override {
    if (name == "cellXfs") inCellXfs = false;
  }
  NumberClass classOf(uint32_t xf) const {
    if (xf >= xfFormats.size()) return NumberClass::Plain;
    auto it = formats.find(xfFormats[xf]);
    return it != formats.end() ? classifyFormat(it->second) : classifyBuiltInFormat(xfFormats[xf]);
  }
};

// Text of <si> items: the <t> runs, leaving out phonetic guides (<rPh>).
struct SharedStringsPart : XmlHandler {
  std::vector<std::string> strings;
  bool inT = false;
  int phonetic = 0;
  void start(std::string_view name, const char**) override {
    if (name == "si")
      strings.emplace_back();
    else if (name == "rPh")
      ++phonetic;
    else if (name == "t")
      inT = phonetic == 0 && !strings.empty();
  }
  void end(std::string_view name) override {
    if (name == "t")
      inT = false;
    else if (name == "rPh")
      --phonetic;
  }
  void text(std::string_view s) override {
    if (inT) strings.back() += s;
  }
};

// "BC12" → column 54 (zero-based), row 11; false when it is no cell reference.
bool parseReference(const char* ref, uint32_t& row, uint32_t& col) {
  uint64_t c = 0, r = 0;
  const char* p = ref;
  for (; *p >= 'A' && *p <= 'Z'; ++p) {
    c = c * 26 + uint64_t(*p - 'A' + 1);
    if (c > 16384) return false;
  }
  if (p == ref || c == 0) return false;
  const char* digits = p;
  for (; *p >= '0' && *p <= '9'; ++p) {
    r = r * 10 + uint64_t(*p - '0');
    if (r > 1048576) return false;
  }
  if (p == digits || *p || r == 0) return false;
  row = uint32_t(r - 1);
  col = uint32_t(c - 1);
  return true;
}

class SheetPart : public XmlHandler {
 public:
  SheetPart(Sheet& sheet, const StylesPart& styles, const std::vector<std::string>& strings,
            bool date1904)
      : m_sheet(sheet), m_styles(styles), m_strings(strings), m_date1904(date1904) {}

  void start(std::string_view name, const char** attrs) override {
    if (name == "row") {
      const char* r = attribute(attrs, "r");
      uint64_t n = r ? std::strtoull(r, nullptr, 10) : 0;
      if (r && (n == 0 || n > 1048576))
        throw std::runtime_error(std::string("row number ") + r + " is out of range");
      // A row without its number follows the one before; the first such row is row 1.
      m_row = r ? uint32_t(n - 1) : m_rowSeen ? m_row + 1 : 0;
      m_rowSeen = true;
      m_col = 0;
    } else if (name == "c") {
      const char* ref = attribute(attrs, "r");
      uint32_t row = m_row;
      if (ref) {
        if (!parseReference(ref, row, m_col))
          throw std::runtime_error(std::string("cell reference '") + ref + "' is not valid");
        m_row = row;
      } else if (m_inCellCount > 0) {
        ++m_col;
      }
      ++m_inCellCount;
      const char* t = attribute(attrs, "t");
      m_type = t ? t : "n";
      const char* s = attribute(attrs, "s");
      m_class = m_styles.classOf(s ? uint32_t(std::strtoul(s, nullptr, 10)) : 0);
      m_value.clear();
      m_hasValue = false;
    } else if (name == "v" || (name == "t" && m_inInline)) {
      m_collect = true;
      m_hasValue = true;
    } else if (name == "is") {
      m_inInline = true;
    }
  }

  void end(std::string_view name) override {
    if (name == "v" || name == "t") {
      m_collect = false;
    } else if (name == "is") {
      m_inInline = false;
    } else if (name == "c") {
      if (m_hasValue) store();
    } else if (name == "row") {
      m_inCellCount = 0;
    }
  }

  void text(std::string_view s) override {
    if (m_collect) m_value += s;
  }

 private:
  void store() {
    if (m_type == "s") {
      char* end = nullptr;
      unsigned long index = std::strtoul(m_value.c_str(), &end, 10);
      if (end == m_value.c_str() || index >= m_strings.size())
        throw std::runtime_error("a cell refers to shared string '" + m_value +
                                 "', which does not exist");
      m_sheet.set(m_row, m_col, Cell::ofText(m_strings[index]));
    } else if (m_type == "inlineStr" || m_type == "str") {
      m_sheet.set(m_row, m_col, Cell::ofText(m_value));
    } else if (m_type == "b") {
      m_sheet.set(m_row, m_col, Cell::ofBoolean(m_value == "1" || m_value == "true"));
    } else if (m_type == "d") {
      double ole;
      if (parseDate(m_value, ole))
        m_sheet.set(m_row, m_col, Cell::ofDate(ole));
      else
        m_sheet.set(m_row, m_col, Cell::ofText(m_value));
    } else if (m_type == "n") {
      char* end = nullptr;
      double v = std::strtod(m_value.c_str(), &end);
      if (end == m_value.c_str()) return;
      m_sheet.set(m_row, m_col, numberCell(v, m_class, m_date1904));
    }
    // "e": error values read as empty cells
  }

  Sheet& m_sheet;
  const StylesPart& m_styles;
  const std::vector<std::string>& m_strings;
  bool m_date1904;
  uint32_t m_row = 0, m_col = 0;
  uint32_t m_inCellCount = 0;
  bool m_rowSeen = false;
  std::string m_type;
  NumberClass m_class = NumberClass::Plain;
  std::string m_value;
  bool m_hasValue = false, m_collect = false, m_inInline = false;
};

}  // namespace

bool looksLikeZip(std::string_view bytes) {
  return bytes.size() >= 4 && bytes.substr(0, 4) == "PK\x03\x04";
}

Workbook readXlsx(std::string_view file) {
  Archive zip(file);
  std::string workbookPath = "xl/workbook.xml";
  if (zip.has("_rels/.rels")) {
    Relationships root;
    zip.parse("_rels/.rels", root);
    auto it = root.targetByType.find("officeDocument");
    if (it != root.targetByType.end()) workbookPath = resolve("", it->second);
  }
  WorkbookPart workbook;
  zip.parse(workbookPath, workbook);
  Relationships rels;
  if (zip.has(relsOf(workbookPath))) zip.parse(relsOf(workbookPath), rels);

  auto partOfType = [&](const char* type, const char* fallback) {
    auto it = rels.targetByType.find(type);
    return it != rels.targetByType.end() ? resolve(workbookPath, it->second)
                                         : resolve(workbookPath, fallback);
  };
  StylesPart styles;
  if (std::string p = partOfType("styles", "styles.xml"); zip.has(p)) zip.parse(p, styles);
  SharedStringsPart strings;
  if (std::string p = partOfType("sharedStrings", "sharedStrings.xml"); zip.has(p))
    zip.parse(p, strings);

  Workbook wb;
  for (const auto& entry : workbook.sheets) {
    auto it = rels.targetById.find(entry.relId);
    if (it == rels.targetById.end())
      throw std::runtime_error("sheet '" + entry.name + "' has no part in the archive");
    std::string part = resolve(workbookPath, it->second);
    // Chart sheets and missing parts hold no table.
    if (part.find("chartsheets/") != std::string::npos || !zip.has(part)) continue;
    Sheet sheet{entry.name, {}};
    SheetPart handler(sheet, styles, strings.strings, workbook.date1904);
    zip.parse(part, handler);
    wb.sheets.push_back(std::move(sheet));
  }
  return wb;
}

}  // namespace kpx::data::excel
