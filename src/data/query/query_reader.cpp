#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "data/providers/statement_excerpt.h"
#include "data/providers/text_compare.h"
#include "data/query/query_engine.h"
#include "data/query/source_tables.h"

namespace kpx::data {
namespace {

constexpr std::string_view kMissingTable = "no such table: ";

// The source table a query names, found as Jet finds it: without regard to case, and an
// Excel sheet "Name$" under "Name".
std::optional<std::string> sourceTableFor(DataSource& source, const std::string& name) {
  const std::vector<TableInfo> tables = source.tables();
  for (const std::string& wanted : {name, name + "$"})
    for (const TableInfo& t : tables)
      if (equalsIgnoringCase(t.name, wanted)) return t.name;
  return std::nullopt;
}

bool onlyBlanksOrSemicolons(const char* tail) {
  for (; tail && *tail; ++tail)
    if (*tail != ';' && *tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n')
      return false;
  return true;
}

class QueryReader : public RowReader {
 public:
  QueryReader(DataSource& source, const std::string& sql) : m_tables(source), m_sql(sql) {
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_dbHandle.reset(db);
    if (rc != SQLITE_OK) fail("the query engine cannot start");
    m_db = db;
    m_tables.install(m_db);
    prepare();
    step();
    describeColumns();
  }
  const std::vector<ColumnInfo>& columns() const override { return m_columns; }

  bool next() override {
    if (m_first) {
      m_first = false;
      return m_hasRow;
    }
    if (m_hasRow) step();
    return m_hasRow;
  }

  Value field(size_t i) const override {
    const int c = static_cast<int>(i);
    const int storage = sqlite3_column_type(m_stmt, c);
    if (storage == SQLITE_NULL) return Value::null();
    switch (m_columns[i].type) {
      case adBoolean:
        return Value::fromBool(sqlite3_column_int64(m_stmt, c) != 0);
      case adCurrency:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
          return Value::fromCurrency(std::llround(sqlite3_column_double(m_stmt, c) * 10000.0));
        break;
      case adDate:
      case adDBDate:
      case adDBTimeStamp: {
        if (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER)
          return Value::fromDate(sqlite3_column_double(m_stmt, c));
        double date = 0;
        if (storage == SQLITE_TEXT && parseDate(text(c), date)) return Value::fromDate(date);
        break;
      }
      case adNumeric:
        if (storage == SQLITE_INTEGER) {
          m_scratch.clear();
          appendText(Value::fromInt(sqlite3_column_int64(m_stmt, c)), m_scratch);
          return Value::fromDecimal(m_scratch);
        }
        if (storage == SQLITE_FLOAT) {
          // Exact digits are plain notation: the shortest text that reads back as this double,
          // never with an exponent.
          char digits[400];
          const auto [end, ec] =
              std::to_chars(digits, digits + sizeof digits, sqlite3_column_double(m_stmt, c),
                            std::chars_format::fixed);
          if (ec == std::errc()) {
            m_scratch.assign(digits, end);
            return Value::fromDecimal(m_scratch);
          }
        }
        break;
      case adGUID:
        if (storage == SQLITE_TEXT) return Value::fromGuid(text(c));
        break;
      default:
        break;
    }
    switch (storage) {
      case SQLITE_INTEGER:
        return Value::fromInt(sqlite3_column_int64(m_stmt, c));
      case SQLITE_FLOAT:
        return Value::fromDouble(sqlite3_column_double(m_stmt, c));
      case SQLITE_BLOB: {
        const void* bytes = sqlite3_column_blob(m_stmt, c);
        return Value::fromBinary({static_cast<const char*>(bytes),
                                  static_cast<size_t>(sqlite3_column_bytes(m_stmt, c))});
      }
      default:
        return Value::fromString(text(c));
    }
  }

  ReadProgress progress() const override { return {m_rows, 0}; }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw DataError("The query \"" + statementExcerpt(m_sql) + "\" cannot run: " + what + ".");
  }

  std::string_view text(int c) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, c));
    return {p ? p : "", static_cast<size_t>(sqlite3_column_bytes(m_stmt, c))};
  }

  // Prepares the query, binding each table it names the first time SQLite misses it, so
  // only the tables the query reads are described.
  void prepare() {
    for (size_t attempt = 0;; ++attempt) {
      const char* tail = nullptr;
      sqlite3_stmt* stmt = nullptr;
      const int rc =
          sqlite3_prepare_v2(m_db, m_sql.c_str(), static_cast<int>(m_sql.size()), &stmt, &tail);
      m_stmtHandle.reset(stmt);
      m_stmt = stmt;
      if (rc == SQLITE_OK) {
        if (!m_stmt) fail("it holds no statement");
        if (!onlyBlanksOrSemicolons(tail)) fail("only one statement can run at a time");
        if (!sqlite3_stmt_readonly(m_stmt)) fail("only SELECT queries run on this data source");
        return;
      }
      const std::string error = sqlite3_errmsg(m_db);
      if (error.compare(0, kMissingTable.size(), kMissingTable) != 0 || attempt > 1000) fail(error);
      std::string name = error.substr(kMissingTable.size());
      if (name.compare(0, 5, "main.") == 0) name.erase(0, 5);
      const std::optional<std::string> table = sourceTableFor(m_tables.source(), name);
      if (!table) fail("the table \"" + name + "\" does not exist");
      m_tables.bind(m_db, name, *table);
    }
  }

  void step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
      m_hasRow = true;
      ++m_rows;
    } else if (rc == SQLITE_DONE) {
      m_hasRow = false;
    } else {
      m_hasRow = false;
      fail(sqlite3_errmsg(m_db));
    }
  }

  // A result column that is a source column keeps that column's description under the
  // result's name; any other takes its type from the first row.
  void describeColumns() {
    const int count = sqlite3_column_count(m_stmt);
    for (int c = 0; c < count; ++c) {
      ColumnInfo info;
      const char* table = sqlite3_column_table_name(m_stmt, c);
      const char* origin = sqlite3_column_origin_name(m_stmt, c);
      const BoundTable* bound = table ? m_tables.find(table) : nullptr;
      bool found = false;
      for (size_t k = 0; bound && origin && k < bound->sqlColumns.size() && !found; ++k) {
        if (bound->sqlColumns[k] != origin) continue;
        info = bound->columns[k];
        found = true;
      }
      if (!found) info = computedColumn(c);
      info.name = sqlite3_column_name(m_stmt, c);
      m_columns.push_back(info);
    }
  }

  ColumnInfo computedColumn(int c) const {
    ColumnInfo info;
    info.attributes = adColFixed | adColNullable;
    switch (m_hasRow ? sqlite3_column_type(m_stmt, c) : SQLITE_NULL) {
      case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(m_stmt, c);
        const bool fits =
            v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
        info.type = fits ? adInteger : adBigInt;
        return info;
      }
      case SQLITE_FLOAT:
        info.type = adDouble;
        return info;
      case SQLITE_BLOB:
        info.type = adLongVarBinary;
        info.attributes = adColNullable;
        return info;
      default:
        break;
    }
    info.attributes = adColNullable;
    const bool longText = m_hasRow && sqlite3_column_bytes(m_stmt, c) > 255;
    info.type = longText ? adLongVarWChar : adVarWChar;
    info.size = longText ? 536870910 : 255;  // Jet's size for long text
    return info;
  }

  struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
  };
  struct FinalizeStatement {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
  };

  // Declared in this order so the statement goes first, then the database (which disconnects
  // the virtual tables), then the tables they read.
  SourceTables m_tables;
  std::string m_sql;
  std::unique_ptr<sqlite3, CloseDatabase> m_dbHandle;
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> m_stmtHandle;
  sqlite3* m_db = nullptr;
  sqlite3_stmt* m_stmt = nullptr;
  std::vector<ColumnInfo> m_columns;
  bool m_first = true;
  bool m_hasRow = false;
  int64_t m_rows = 0;
  mutable std::string m_scratch;
};

}  // namespace

std::unique_ptr<RowReader> runQueryOver(DataSource& source, const std::string& sql) {
  return std::make_unique<QueryReader>(source, sql);
}

}  // namespace kpx::data
