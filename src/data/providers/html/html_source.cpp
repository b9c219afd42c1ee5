#include "data/providers/html/html_source.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/providers/html/cell_types.h"
#include "data/providers/html/html_tables.h"
#include "data/providers/text_compare.h"
#include "data/query/query_engine.h"
#include "data/text/text_decoding.h"

namespace kpx::data {
namespace {

struct Table {
  std::string name;
  html::TypedRows data;
};

// Streams the rows of one table held in memory.
class TableReader : public RowReader {
 public:
  explicit TableReader(const Table& table) : m_table(table) {}
  const std::vector<ColumnInfo>& columns() const override { return m_table.data.columns; }
  bool next() override {
    if (m_next >= m_table.data.rows.size()) return false;
    m_row = m_next++;
    return true;
  }
  Value field(size_t i) const override { return m_table.data.rows[m_row][i].view(); }
  ReadProgress progress() const override {
    return {static_cast<int64_t>(m_next), static_cast<int64_t>(m_table.data.rows.size())};
  }

 private:
  const Table& m_table;
  size_t m_next = 0;
  size_t m_row = 0;
};

class HtmlSource : public DataSource {
 public:
  HtmlSource(std::string_view html, std::string origin) : m_origin(std::move(origin)) {
    for (html::HtmlTable& page : html::parseHtmlTables(html)) {
      std::vector<std::string> names;
      for (size_t c = 0; c < page.names.size(); ++c)
        names.push_back(page.names[c] ? *page.names[c] : "F" + std::to_string(c + 1));
      m_tables.push_back(
          {std::move(page.name), html::typeColumns(names, page.rows, page.headerRows)});
    }
  }

  std::vector<TableInfo> tables() override {
    std::vector<TableInfo> out;
    for (const Table& t : m_tables) out.push_back({t.name, "TABLE"});
    return out;
  }
  std::vector<ColumnInfo> catalogColumns(const std::string& table) override {
    return find(table).data.columns;
  }
  std::unique_ptr<RowReader> openCatalogTable(const std::string& table) override {
    return std::make_unique<TableReader>(find(table));
  }
  std::string describe() const override { return "the HTML file \"" + m_origin + "\""; }
  std::unique_ptr<RowReader> openQuery(const std::string& sql) override {
    return runQueryOver(*this, sql);
  }
  void execute(const std::string&) override { refuseWriting(); }
  std::unique_ptr<RowWriter> openWriter(const std::string&,
                                        const std::vector<std::string>&) override {
    refuseWriting();
  }

 private:
  // A table by the name tables() gives it.
  const Table& find(const std::string& name) const {
    for (const Table& t : m_tables)
      if (t.name == name) return t;
    throw std::logic_error("HTML table looked up by a name the catalog does not give: " + name);
  }
  [[noreturn]] void refuseWriting() const {
    throw DataError("The HTML file \"" + m_origin +
                    "\" can only be read: HTML tables are a source, never a destination.");
  }

  std::string m_origin;
  std::vector<Table> m_tables;
};

// Pages come as UTF-8 (with or without BOM), UTF-16 with BOM or, when the bytes are not
// UTF-8, Windows-1252 (what Latin-1 pages are in practice); gumbo wants UTF-8.
std::string decodePage(const std::string& bytes) {
  const TextEncoding encoding = detectTextEncoding(bytes);
  if (encoding == TextEncoding::Utf8) return bytes;
  TextDecoder decoder(encoding);
  std::string text;
  decoder.decode(std::string_view(bytes).substr(byteOrderMarkLength(encoding)), text);
  decoder.finish(text);
  return text;
}

std::string readWholeFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw DataError("Cannot open the HTML file \"" + path + "\": it is a folder.");
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw DataError("Cannot open the HTML file \"" + path + "\": " + std::strerror(errno) + ".");
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw DataError("Cannot read the HTML file \"" + path + "\".");
  return decodePage(std::move(bytes).str());
}

}  // namespace

std::unique_ptr<DataSource> openHtmlText(std::string_view html, const std::string& origin) {
  return std::make_unique<HtmlSource>(html, origin);
}

std::unique_ptr<DataSource> openHtmlSource(const ConnectionProperties& properties) {
  const std::string path = properties.value("Data Source");
  if (path.empty()) throw DataError("The HTML connection names no file: \"Data Source\" is empty.");
  return openHtmlText(readWholeFile(path), path);
}

}  // namespace kpx::data
