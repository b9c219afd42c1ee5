#include "data/providers/text/text_provider.h"

#include "data/query/query_engine.h"

#include <sys/stat.h>

#include <mutex>
#include <optional>

#include "data/providers/file_stamp.h"
#include "data/providers/statement_excerpt.h"
#include "data/providers/text/text_reader.h"
#include "data/providers/text/text_writer.h"
#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads a keyword (case ignored) followed by blanks at `pos`.
bool takeWord(std::string_view sql, size_t& pos, std::string_view word) {
  if (sql.size() - pos < word.size() || !equalsIgnoringCase(sql.substr(pos, word.size()), word)) {
    return false;
  }
  size_t after = pos + word.size();
  if (after < sql.size() && !isSpace(sql[after]) && word != "*") return false;
  pos = after;
  while (pos < sql.size() && isSpace(sql[pos])) ++pos;
  return true;
}

// The table name that ends a statement: [name], `name` or name, then an optional ";".
bool takeTableName(std::string_view sql, size_t pos, std::string& name) {
  while (!sql.empty() && (isSpace(sql.back()) || sql.back() == ';')) sql.remove_suffix(1);
  if (pos >= sql.size()) return false;
  std::string_view rest = sql.substr(pos);
  if ((rest.front() == '[' && rest.back() == ']') || (rest.front() == '`' && rest.back() == '`')) {
    if (rest.size() < 2) return false;
    rest = rest.substr(1, rest.size() - 2);
  }
  name = std::string(rest);
  return !name.empty();
}

// Reads every record and makes a column that holds a value longer than a delimited column's
// size long text, so that a table made from these columns holds every value. Rows the
// transfer would reject are passed over; the scan ends where the file cannot be read on.
void markLongColumns(TextRowReader& reader, std::vector<ColumnInfo>& columns) {
  for (;;) {
    try {
      if (!reader.next()) return;
    } catch (const RowError&) {
      continue;
    } catch (const DataError&) {
      return;
    }
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].type != adVarChar) continue;
      Value v = reader.field(i);
      const auto size = static_cast<size_t>(columns[i].size);
      if (v.kind == ValueKind::String && v.text.size() > size && codePoints(v.text) > size) {
        columns[i].type = adLongVarChar;
        columns[i].size = 0;
      }
    }
  }
}

// The columns of the file scanned last: a copy asks for a file's columns more than once
// before reading its rows, and each scan reads the whole file. A file changed since is
// scanned again.
struct LastScan {
  std::mutex mutex;
  TextFormat format;
  std::optional<FileStamp> stamp;
  std::vector<ColumnInfo> columns;
};

LastScan& lastScan() {
  static LastScan scan;
  return scan;
}

}  // namespace

bool TextDataSource::fileExists() const {
  struct stat st {};
  return ::stat(m_format.path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string TextDataSource::tableKey(const std::string& name) const {
  std::string own = m_format.tableName();
  std::string hashed = own;
  if (size_t dot = hashed.rfind('.'); dot != std::string::npos) hashed[dot] = '#';
  // A package names a text file's table by the file's full path, as the connection does.
  if (equalsIgnoringCase(name, hashed) || name == m_format.path) return own;
  return name;
}

std::string TextDataSource::describe() const {
  return "the text file " + m_format.path;
}

// A destination's table before its file exists, which tables() does not list yet.
void TextDataSource::checkTable(const std::string& table) const {
  std::string own = m_format.tableName();
  if (equalsIgnoringCase(tableKey(table), own)) return;
  throw DataError("The text file " + m_format.path + " holds the one table [" + own +
                  "]; there is no table [" + table + "].");
}

std::vector<TableInfo> TextDataSource::tables() {
  if (!fileExists()) return {};
  return {{m_format.tableName(), "TABLE"}};
}

std::vector<ColumnInfo> TextDataSource::catalogColumns(const std::string&) {
  const std::optional<FileStamp> stamp = stampOf(m_format.path);
  LastScan& last = lastScan();
  {
    std::lock_guard lock(last.mutex);
    if (stamp && last.stamp == stamp && last.format == m_format) return last.columns;
  }
  TextRowReader reader(m_format);
  std::vector<ColumnInfo> columns = reader.columns();
  if (!m_format.fixedWidth) markLongColumns(reader, columns);
  std::lock_guard lock(last.mutex);
  last.format = m_format;
  last.stamp = stamp;
  last.columns = columns;
  return columns;
}

std::vector<ColumnInfo> TextDataSource::headerColumns() const {
  return TextRowReader(m_format).columns();
}

std::unique_ptr<RowReader> TextDataSource::openCatalogTable(const std::string&) {
  return std::make_unique<TextRowReader>(m_format);
}

std::unique_ptr<RowReader> TextDataSource::openQuery(const std::string& sql) {
  size_t pos = 0;
  while (pos < sql.size() && isSpace(sql[pos])) ++pos;
  std::string table;
  if (takeWord(sql, pos, "SELECT") && takeWord(sql, pos, "*") && takeWord(sql, pos, "FROM") &&
      takeTableName(sql, pos, table)) {
    return openTable(table);
  }
  return runQueryOver(*this, sql);
}

void TextDataSource::execute(const std::string& sql) {
  size_t pos = 0;
  while (pos < sql.size() && isSpace(sql[pos])) ++pos;
  std::string table;
  if (!(takeWord(sql, pos, "DELETE") && takeWord(sql, pos, "FROM"))) {
    throw DataError("The text file provider runs no SQL statement but DELETE FROM [" +
                    m_format.tableName() + "]: \"" + statementExcerpt(sql) + "\".");
  }
  // "delete from " with no table is what the wizard sends for a text destination.
  if (!takeTableName(sql, pos, table)) table = m_format.tableName();
  checkTable(table);
  if (!fileExists()) return;
  std::vector<std::string> names;
  for (const ColumnInfo& column : catalogColumns(table)) names.push_back(column.name);
  openWriter(table, names)->commit();
}

std::unique_ptr<RowWriter> TextDataSource::openWriter(const std::string& table,
                                                      const std::vector<std::string>& columns) {
  checkTable(table);
  return std::make_unique<TextRowWriter>(m_format, columns);
}

std::unique_ptr<DataSource> TextProvider::open(const ConnectionProperties& properties) {
  TextFormat format = TextFormat::fromProperties(properties);
  auto source = std::make_unique<TextDataSource>(std::move(format));
  if (source->format().readOnly && source->tables().empty()) {
    throw DataError("The text file " + source->format().path + " does not exist.");
  }
  return source;
}

}  // namespace kpx::data
