#include "data/providers/sqlite/sqlite_data_source.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "data/providers/text_compare.h"
#include "data/providers/value_conversion.h"

namespace kpx::data {
namespace {

std::string quoteName(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A prepared statement finalized on scope exit.
struct Statement {
  sqlite3_stmt* stmt = nullptr;
  Statement() = default;
  Statement(Statement&& o) noexcept : stmt(o.stmt) { o.stmt = nullptr; }
  Statement& operator=(Statement&&) = delete;
  ~Statement() { sqlite3_finalize(stmt); }
};

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
      case adDate: case adDBDate: case adDBTimeStamp: {
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
        if (!text.empty() && text.find_first_of("eE") == std::string_view::npos && parseDouble(text, d)) {
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

// One transaction, one prepared INSERT; each row is converted and bound without building
// any text beyond the per-column scratch buffers, which keep their capacity between rows.
class SqliteWriter : public RowWriter {
 public:
  SqliteWriter(std::shared_ptr<sqlite3> db, std::string table, std::vector<ColumnInfo> columns)
      : m_db(std::move(db)), m_table(std::move(table)), m_columns(std::move(columns)),
        m_scratch(m_columns.size()), m_text(m_columns.size()), m_dayText(m_columns.size()) {
    for (size_t i = 0; i < m_columns.size(); ++i) {
      const int32_t type = m_columns[i].type;
      m_dayText[i] = type == adDate || type == adDBDate || type == adDBTimeStamp;
    }
    std::string sql = "INSERT INTO " + quoteName(m_table) + " (";
    for (size_t i = 0; i < m_columns.size(); ++i) {
      if (i) sql += ", ";
      sql += quoteName(m_columns[i].name);
    }
    sql += ") VALUES (";
    for (size_t i = 0; i < m_columns.size(); ++i) sql += i ? ", ?" : "?";
    sql += ")";
    exec("BEGIN");
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &m_insert.stmt, nullptr) != SQLITE_OK) {
      std::string message = sqlite3_errmsg(m_db.get());
      exec("ROLLBACK");
      throw DataError("Cannot write to table '" + m_table + "': " + message);
    }
    m_open = true;
  }
  ~SqliteWriter() override {
    if (m_open) {
      sqlite3_finalize(m_insert.stmt);
      m_insert.stmt = nullptr;
      sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
  }

  void writeRow(const Value* values, size_t count) override {
    if (!m_open) throw DataError("The writer on table '" + m_table + "' is finished");
    sqlite3_stmt* s = m_insert.stmt;
    sqlite3_reset(s);
    for (size_t i = 0; i < m_columns.size(); ++i) {
      const Value in = i < count ? values[i] : Value::null();
      if (in.kind == ValueKind::String && m_dayText[i] && isDayText(in.text)) {
        // A day already written as YYYY-MM-DD is stored as it stands: no round trip
        // through the date's parts on the hot path.
        sqlite3_bind_text64(s, static_cast<int>(i) + 1, in.text.data(), in.text.size(), SQLITE_STATIC, SQLITE_UTF8);
        continue;
      }
      bind(static_cast<int>(i) + 1, convertForColumn(in, m_columns[i], m_scratch[i]), i);
    }
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) return;
    std::string message = sqlite3_errmsg(m_db.get());
    sqlite3_reset(s);
    if ((rc & 0xff) == SQLITE_CONSTRAINT || rc == SQLITE_MISMATCH || rc == SQLITE_TOOBIG) {
      throw RowError("Table '" + m_table + "' refused the row: " + message, constrainedColumn(message));
    }
    throw DataError("Writing to table '" + m_table + "' failed: " + message);
  }

  void commit() override { finish("COMMIT"); }
  void rollback() override { finish("ROLLBACK"); }

 private:
  void bind(int index, const Value& v, size_t i) {
    sqlite3_stmt* s = m_insert.stmt;
    switch (v.kind) {
      case ValueKind::Null:
        sqlite3_bind_null(s, index);
        return;
      case ValueKind::Boolean:
        sqlite3_bind_int(s, index, v.boolean ? 1 : 0);
        return;
      case ValueKind::Integer:
        sqlite3_bind_int64(s, index, v.integer);
        return;
      case ValueKind::Double:
        sqlite3_bind_double(s, index, v.real);
        return;
      case ValueKind::Currency:
        if (v.currency % 10000 == 0) {
          sqlite3_bind_int64(s, index, v.currency / 10000);
        } else {
          sqlite3_bind_double(s, index, static_cast<double>(v.currency) / 10000.0);
        }
        return;
      case ValueKind::Decimal:
        bindDecimal(index, v.text);
        return;
      case ValueKind::Date:
        m_text[i].clear();
        appendText(v, m_text[i]);
        sqlite3_bind_text(s, index, m_text[i].data(), static_cast<int>(m_text[i].size()), SQLITE_STATIC);
        return;
      case ValueKind::Binary:
        sqlite3_bind_blob64(s, index, v.text.data(), v.text.size(), SQLITE_STATIC);
        return;
      case ValueKind::String:
      case ValueKind::Guid:
        sqlite3_bind_text64(s, index, v.text.data(), v.text.size(), SQLITE_STATIC, SQLITE_UTF8);
        return;
    }
  }

  // "YYYY-MM-DD" naming a real day: the text a date at midnight is stored as.
  static bool isDayText(std::string_view t) {
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return false;
    for (size_t k : {0, 1, 2, 3, 5, 6, 8, 9}) {
      if (t[k] < '0' || t[k] > '9') return false;
    }
    const auto number = [&](size_t at, size_t n) {
      int v = 0;
      for (size_t k = at; k < at + n; ++k) v = v * 10 + (t[k] - '0');
      return v;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 100 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  }

  // Exact decimals go in as integers when whole, as doubles when a double holds them
  // exactly (its shortest text is the same digits), and as text otherwise.
  void bindDecimal(int index, std::string_view digits) {
    sqlite3_stmt* s = m_insert.stmt;
    int64_t whole;
    if (parseInteger(digits, whole)) {
      sqlite3_bind_int64(s, index, whole);
      return;
    }
    double d;
    if (parseDouble(digits, d)) {
      char buf[32];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
      std::string_view shortest(buf, static_cast<size_t>(end - buf));
      std::string_view given = digits;
      while (given.size() > 1 && given.find('.') != std::string_view::npos && given.back() == '0') {
        given.remove_suffix(1);
      }
      if (shortest == given) {
        sqlite3_bind_double(s, index, d);
        return;
      }
    }
    sqlite3_bind_text64(s, index, digits.data(), digits.size(), SQLITE_STATIC, SQLITE_UTF8);
  }

  // "NOT NULL constraint failed: T.Col" names the column after the last '.'.
  static std::string constrainedColumn(const std::string& message) {
    const size_t colon = message.find(": ");
    if (colon == std::string::npos) return {};
    std::string target = message.substr(colon + 2);
    if (target.find(',') != std::string::npos) return {};
    const size_t dot = target.rfind('.');
    return dot == std::string::npos ? target : target.substr(dot + 1);
  }

  void finish(const char* sql) {
    if (!m_open) throw DataError("The writer on table '" + m_table + "' is finished");
    sqlite3_finalize(m_insert.stmt);
    m_insert.stmt = nullptr;
    m_open = false;
    exec(sql);
  }

  void exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errmsg(m_db.get());
      sqlite3_free(error);
      throw DataError("Writing to table '" + m_table + "' failed (" + sql + "): " + message);
    }
  }

  std::shared_ptr<sqlite3> m_db;
  std::string m_table;
  std::vector<ColumnInfo> m_columns;
  std::vector<std::string> m_scratch;  // conversion results, one per column
  std::vector<std::string> m_text;     // date texts, one per column
  std::vector<char> m_dayText;         // whether each column holds dates
  Statement m_insert;
  bool m_open = false;
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

  std::vector<ColumnInfo> columns(const std::string& table) override {
    const std::string name = catalogName(table);
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

  std::unique_ptr<RowReader> openTable(const std::string& table) override {
    const std::string name = catalogName(table);
    auto columnList = columns(name);
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
      columnList.push_back(columnInfoFromDeclaredType(name ? name : "", declared ? declared : "", false));
    }
    auto reader = std::make_unique<SqliteReader>(m_db, st.stmt, std::move(columnList),
                                                 "the query of '" + m_path + "'");
    st.stmt = nullptr;
    return reader;
  }

  void execute(const std::string& sql) override {
    char* error = nullptr;
    if (sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errmsg(m_db.get());
      sqlite3_free(error);
      throw DataError("The statement failed on '" + m_path + "': " + message + "\n" + sql);
    }
  }

  std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                        const std::vector<std::string>& names) override {
    const std::string name = catalogName(table);
    const auto all = columns(name);
    std::vector<ColumnInfo> chosen;
    for (const auto& wanted : names) {
      const ColumnInfo* found = nullptr;
      for (const auto& c : all) {
        if (equalsIgnoringCase(c.name, wanted)) found = &c;
      }
      if (!found) throw DataError("The table '" + name + "' has no column '" + wanted + "'");
      chosen.push_back(*found);
    }
    return std::make_unique<SqliteWriter>(m_db, name, std::move(chosen));
  }

 private:
  Statement prepare(const std::string& sql) {
    Statement st;
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &st.stmt, nullptr) != SQLITE_OK) {
      throw DataError("SQL error on '" + m_path + "': " + sqlite3_errmsg(m_db.get()) + "\n" + sql);
    }
    return st;
  }

  bool step(Statement& st, const std::string& what) {
    const int rc = sqlite3_step(st.stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DataError("Reading " + what + " of '" + m_path + "' failed: " + sqlite3_errmsg(m_db.get()));
  }

  // The catalog's own spelling of a table or view name, found without regard to case.
  std::string catalogName(const std::string& table) {
    for (const auto& info : tables()) {
      if (equalsIgnoringCase(info.name, table)) return info.name;
    }
    throw DataError("The table '" + table + "' does not exist in '" + m_path + "'");
  }

  std::shared_ptr<sqlite3> m_db;
  std::string m_path;
};

}  // namespace

std::unique_ptr<DataSource> openSqliteDatabase(const std::string& path, bool writable) {
  sqlite3* raw = nullptr;
  const int flags = (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  std::shared_ptr<sqlite3> db(raw, sqlite3_close);
  if (rc != SQLITE_OK) {
    throw DataError("Cannot open the database '" + path + "': " +
                    (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  }
  sqlite3_busy_timeout(raw, 5000);
  sqlite3_extended_result_codes(raw, 1);
  // Reading the catalog is where a damaged or foreign file shows itself.
  char* error = nullptr;
  if (sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(raw);
    sqlite3_free(error);
    throw DataError("The database '" + path + "' cannot be read: " + message);
  }
  return std::make_unique<SqliteDatabase>(std::move(db), path);
}

void createSqliteDatabase(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) throw DataError("The database '" + path + "' already exists");
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::shared_ptr<sqlite3> db(raw, sqlite3_close);
  char* error = nullptr;
  // Writing the schema once makes the file a complete database with its header.
  if (rc != SQLITE_OK ||
      sqlite3_exec(raw, "CREATE TABLE kpx_new(x); DROP TABLE kpx_new;", nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    sqlite3_free(error);
    throw DataError("Cannot create the database '" + path + "': " + message);
  }
}

}  // namespace kpx::data
