#include "data/providers/sqlite/sqlite_data_source.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>

#include "data/providers/sqlite/busy_wait.h"
#include "data/providers/sqlite/single_statement.h"
#include "data/providers/sqlite/sqlite_statement.h"
#include "data/providers/sqlite/sqlite_writer.h"
#include "data/providers/statement_excerpt.h"
#include "data/providers/text_compare.h"
#include "data/providers/value_conversion.h"

namespace kpx::data {
namespace {

class SqliteDatabase;

// Streams the rows of one statement, typing each field by its column's code.
class SqliteReader : public RowReader {
 public:
  SqliteReader(std::shared_ptr<sqlite3> db, sqlite3_stmt* stmt, std::vector<ColumnInfo> columns,
               std::string what)
      : m_db(std::move(db)),
        m_columns(std::move(columns)),
        m_buffers(m_columns.size()),
        m_what(std::move(what)) {
    m_stmt.stmt = stmt;
  }
  const std::vector<ColumnInfo>& columns() const override { return m_columns; }

  bool next() override {
    if (m_done) return false;
    const int rc = sqlite3_step(m_stmt.stmt);
    if (rc == SQLITE_ROW) {
      ++m_rows;
      return true;
    }
    m_done = true;
    if (rc == SQLITE_DONE) return false;
    throw DataError("Reading " + m_what + " failed after row " + std::to_string(m_rows) + ": " +
                    sqlite3_errmsg(m_db.get()));
  }

  Value field(size_t i) const override {
    if (i >= m_columns.size()) return Value::null();
    const int col = static_cast<int>(i);
    sqlite3_stmt* s = m_stmt.stmt;
    const int type = m_columns[i].type;
    switch (sqlite3_column_type(s, col)) {
      case SQLITE_NULL:
        return Value::null();
      case SQLITE_INTEGER:
        return typedNumber(i, Value::fromInt(sqlite3_column_int64(s, col)));
      case SQLITE_FLOAT:
        return typedNumber(i, Value::fromDouble(sqlite3_column_double(s, col)));
      case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(s, col);
        const int size = sqlite3_column_bytes(s, col);
        return Value::fromBinary({static_cast<const char*>(data), static_cast<size_t>(size)});
      }
      default: {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
        const std::string_view text(data, static_cast<size_t>(sqlite3_column_bytes(s, col)));
        return typedText(type, text);
      }
    }
  }

  ReadProgress progress() const override { return {m_rows, 0}; }

 private:
  // Numbers in Bit, Currency and Decimal columns come out as those kinds.
  Value typedNumber(size_t i, Value v) const {
    const double d = v.kind == ValueKind::Integer ? static_cast<double>(v.integer) : v.real;
    switch (m_columns[i].type) {
      case adBoolean:
        return Value::fromBool(d != 0);
      case adCurrency:
        if (v.kind == ValueKind::Integer && std::llabs(v.integer) < 922337203685477LL) {
          return Value::fromCurrency(v.integer * 10000);
        }
        if (std::fabs(d) < 9.2e14) return Value::fromCurrency(std::llround(d * 10000.0));
        return v;
      case adNumeric:
        m_buffers[i].clear();
        appendText(v, m_buffers[i]);
        if (m_buffers[i].find_first_of("eE") != std::string::npos) return v;
        return Value::fromDecimal(m_buffers[i]);
      default:
        return v;
    }
  }

  // Text in date, GUID, Decimal and Bit columns comes out as those kinds when it reads so.
  static Value typedText(int type, std::string_view text) {
    switch (type) {
      case adDate:
      case adDBDate:
      case adDBTimeStamp: {
        double d;
        if (parseDate(text, d)) return Value::fromDate(d);
        break;
      }
      case adGUID:
        if (text.size() == 38 && text.front() == '{') return Value::fromGuid(text);
        break;
      case adBoolean: {
        bool b;
        if (parseBoolean(text, b)) return Value::fromBool(b);
        break;
      }
      case adNumeric: {
        double d;
        if (!text.empty() && text.find_first_of("eE") == std::string_view::npos &&
            parseDouble(text, d)) {
          return Value::fromDecimal(text);
        }
        break;
      }
      case adCurrency: {
        int64_t c;
        if (parseCurrency(text, c)) return Value::fromCurrency(c);
        break;
      }
      default:
        break;
    }
    return Value::fromString(text);
  }

  std::shared_ptr<sqlite3> m_db;
  Statement m_stmt;
  std::vector<ColumnInfo> m_columns;
  mutable std::vector<std::string> m_buffers;
  std::string m_what;
  int64_t m_rows = 0;
  bool m_done = false;
};

class SqliteDatabase : public DataSource {
 public:
  SqliteDatabase(std::shared_ptr<sqlite3> db, std::string path)
      : m_db(std::move(db)), m_path(std::move(path)) {}

  std::vector<TableInfo> tables() override {
    Statement st = prepare(
        "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') "
        "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    std::vector<TableInfo> out;
    while (step(st, "the catalog")) {
      const char* name = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0));
      const char* type = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1));
      out.push_back({name ? name : "", type && std::strcmp(type, "view") == 0 ? "VIEW" : "TABLE"});
    }
    return out;
  }

  std::vector<ColumnInfo> catalogColumns(const std::string& name) override {
    Statement st = prepare("SELECT name, type, \"notnull\" FROM pragma_table_info(?1)");
    sqlite3_bind_text(st.stmt, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<ColumnInfo> out;
    while (step(st, "the columns of table '" + name + "'")) {
      const char* column = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0));
      const char* declared = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 1));
      out.push_back(columnInfoFromDeclaredType(column ? column : "", declared ? declared : "",
                                               sqlite3_column_int(st.stmt, 2) != 0));
    }
    return out;
  }

  std::unique_ptr<RowReader> openCatalogTable(const std::string& name) override {
    auto columnList = catalogColumns(name);
    std::string sql = "SELECT ";
    for (size_t i = 0; i < columnList.size(); ++i) {
      if (i) sql += ", ";
      sql += quoteName(columnList[i].name);
    }
    sql += " FROM " + quoteName(name);
    Statement st = prepare(sql);
    auto reader = std::make_unique<SqliteReader>(m_db, st.stmt, std::move(columnList),
                                                 "table '" + name + "' of '" + m_path + "'");
    st.stmt = nullptr;
    return reader;
  }

  std::unique_ptr<RowReader> openQuery(const std::string& sql) override {
    Statement st = prepare(sql);
    std::vector<ColumnInfo> columnList;
    const int n = sqlite3_column_count(st.stmt);
    for (int i = 0; i < n; ++i) {
      const char* name = sqlite3_column_name(st.stmt, i);
      const char* declared = sqlite3_column_decltype(st.stmt, i);
      columnList.push_back(
          columnInfoFromDeclaredType(name ? name : "", declared ? declared : "", false));
    }
    auto reader = std::make_unique<SqliteReader>(m_db, st.stmt, std::move(columnList),
                                                 "the query of '" + m_path + "'");
    st.stmt = nullptr;
    return reader;
  }

  void execute(const std::string& sql) override { runSingleStatement(m_db.get(), sql, m_path); }

  std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                        const std::vector<std::string>& names) override {
    const std::string name = existingTable(table);
    const auto all = catalogColumns(name);
    std::vector<ColumnInfo> chosen;
    for (const auto& wanted : names) {
      const ColumnInfo* found = nullptr;
      for (const auto& c : all) {
        if (equalsIgnoringCase(c.name, wanted)) found = &c;
      }
      if (!found) throw DataError("The table '" + name + "' has no column '" + wanted + "'");
      chosen.push_back(*found);
    }
    return openSqliteWriter(m_db, name, std::move(chosen));
  }

 private:
  Statement prepare(const std::string& sql) {
    Statement st;
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &st.stmt, nullptr) != SQLITE_OK) {
      throw DataError("SQL error on '" + m_path + "': " + sqlite3_errmsg(m_db.get()) +
                      "; the statement: " + statementExcerpt(sql));
    }
    return st;
  }

  bool step(Statement& st, const std::string& what) {
    const int rc = sqlite3_step(st.stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DataError("Reading " + what + " of '" + m_path +
                    "' failed: " + sqlite3_errmsg(m_db.get()));
  }

  std::string describe() const override { return "'" + m_path + "'"; }

  std::shared_ptr<sqlite3> m_db;
  std::string m_path;
};

}  // namespace

std::unique_ptr<DataSource> openSqliteDatabase(const std::string& path, bool writable) {
  sqlite3* raw = nullptr;
  const int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  std::shared_ptr<void> wait = raw ? installBusyWait(raw, path) : nullptr;
  std::shared_ptr<sqlite3> db(raw, [wait](sqlite3* d) { sqlite3_close(d); });
  if (rc != SQLITE_OK) {
    throw DataError("Cannot open the database '" + path +
                    "': " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  }
  sqlite3_extended_result_codes(raw, 1);
  // Reading the catalog is where a damaged or foreign file shows itself.
  char* error = nullptr;
  if (sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error) !=
      SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(raw);
    sqlite3_free(error);
    const std::string locked = lockedDatabaseMessage(raw);
    throw DataError("The database '" + path +
                    "' cannot be read: " + (locked.empty() ? message : locked));
  }
  return std::make_unique<SqliteDatabase>(std::move(db), path);
}

void createSqliteDatabase(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) throw DataError("The database '" + path + "' already exists");
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::shared_ptr<sqlite3> db(raw, sqlite3_close);
  char* error = nullptr;
  // Writing the schema once makes the file a complete database with its header.
  if (rc != SQLITE_OK || sqlite3_exec(raw, "CREATE TABLE kpx_new(x); DROP TABLE kpx_new;", nullptr,
                                      nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    sqlite3_free(error);
    throw DataError("Cannot create the database '" + path + "': " + message);
  }
}

}  // namespace kpx::data
