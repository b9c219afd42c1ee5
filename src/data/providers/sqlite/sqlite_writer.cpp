#include "data/providers/sqlite/sqlite_writer.h"

#include <algorithm>
#include <charconv>

#include "data/providers/row_batch_pipe.h"
#include "data/providers/sqlite/busy_wait.h"
#include "data/providers/sqlite/sqlite_statement.h"
#include "data/providers/statement_excerpt.h"
#include "data/providers/value_conversion.h"

namespace kpx::data {
namespace {

// Rows per multi-row INSERT. SQLite's cost per statement run (opening the table, halting the
// program) is as large as the cost of a row, so a bulk load sends rows in groups.
constexpr size_t kRowsPerGroup = 50;
// Groups per batch handed to the inserting thread, and batches in all: a few batches in
// flight keep both threads busy while memory stays small and flat.
constexpr size_t kGroupsPerBatch = 20;
constexpr size_t kBatches = 4;

// Whether an insert into `table` may fail for one row alone: NOT NULL, keys, unique indexes,
// CHECK, foreign keys, STRICT typing or a trigger. Answers yes when it cannot tell.
bool mayRefuseRows(sqlite3* db, const std::string& table) {
  // True when a row of `sql` holds anything but 0, or when it cannot be asked.
  auto any = [&](const char* sql) {
    Statement st;
    if (sqlite3_prepare_v2(db, sql, -1, &st.stmt, nullptr) != SQLITE_OK) return true;
    sqlite3_bind_text(st.stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
      if (sqlite3_column_int(st.stmt, 0) != 0) return true;
    }
    return rc != SQLITE_DONE;
  };
  return any("SELECT \"notnull\" OR pk FROM pragma_table_info(?1)") ||
         any("SELECT \"unique\" FROM pragma_index_list(?1)") ||
         any("SELECT 1 FROM pragma_foreign_key_list(?1)") ||
         any("SELECT 1 FROM sqlite_master WHERE (type = 'trigger' AND tbl_name = ?1) OR (name = ?1 "
             "AND "
             "(type <> 'table' OR upper(sql) LIKE '%CHECK%' OR upper(sql) LIKE '%STRICT%'))");
}

// "YYYY-MM-DD" naming a real day: the text a date at midnight is stored as.
bool isDayText(std::string_view t) {
  if (t.size() != 10 || t[4] != '-' || t[7] != '-') return false;
  for (size_t k : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (t[k] < '0' || t[k] > '9') return false;
  }
  const auto number = [&](size_t at, size_t n) {
    int v = 0;
    for (size_t k = at; k < at + n; ++k) v = v * 10 + (t[k] - '0');
    return v;
  };
  return isValidDay(number(0, 4), number(5, 2), number(8, 2));
}

// Exact decimals go in as integers when whole, as doubles when a double holds them exactly
// (its shortest text is the same digits), and as text otherwise.
void bindDecimal(sqlite3_stmt* s, int index, std::string_view digits) {
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

// Binds without copying: text must stay where it is until the statement has run. A date is
// written as text into `dateText`, which must live as long.
void bindValue(sqlite3_stmt* s, int index, const Value& v, std::string& dateText) {
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
      bindDecimal(s, index, v.text);
      return;
    case ValueKind::Date:
      dateText.clear();
      appendText(v, dateText);
      sqlite3_bind_text(s, index, dateText.data(), static_cast<int>(dateText.size()),
                        SQLITE_STATIC);
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

// "NOT NULL constraint failed: T.Col" names the column after the last '.'.
std::string constrainedColumn(const std::string& message) {
  const size_t colon = message.find(": ");
  if (colon == std::string::npos) return {};
  std::string target = message.substr(colon + 2);
  if (target.find(',') != std::string::npos) return {};
  const size_t dot = target.rfind('.');
  return dot == std::string::npos ? target : target.substr(dot + 1);
}

// Whether a statement other than `mine` is part way through its rows on `db`: a reader on
// the same connection, which then must not be stepped by two threads at once.
bool otherStatementBusy(sqlite3* db, const Statement& mine) {
  for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) {
    if (s != mine.stmt && sqlite3_stmt_busy(s)) return true;
  }
  return false;
}

// One transaction. A table that may refuse single rows gets one INSERT per row, so that a
// refusal names its row at once; any other table can only fail as a whole, so its rows are
// converted on the caller's thread into batches (their text copied into buffers that keep
// their capacity) and inserted in groups by a second thread while the caller reads on.
class SqliteWriter : public RowWriter {
 public:
  SqliteWriter(std::shared_ptr<sqlite3> db, std::string table, std::vector<ColumnInfo> columns)
      : m_db(std::move(db)),
        m_table(std::move(table)),
        m_columns(std::move(columns)),
        m_scratch(m_columns.size()),
        m_dayText(m_columns.size()) {
    for (size_t i = 0; i < m_columns.size(); ++i) {
      const int32_t type = m_columns[i].type;
      m_dayText[i] = type == adDate || type == adDBDate || type == adDBTimeStamp;
    }
    const size_t n = std::max<size_t>(m_columns.size(), 1);
    const size_t variables =
        static_cast<size_t>(sqlite3_limit(m_db.get(), SQLITE_LIMIT_VARIABLE_NUMBER, -1));
    m_groupRows = mayRefuseRows(m_db.get(), m_table) ? 1 : std::min(kRowsPerGroup, variables / n);
    if (m_groupRows < 2) m_groupRows = 1;
    m_text.resize(m_groupRows * n);
    if (m_groupRows > 1) m_batch.values.resize(kGroupsPerBatch * m_groupRows * n);

    exec("BEGIN");
    m_open = true;
    prepare(1, m_single);
    if (m_groupRows > 1) prepare(m_groupRows, m_group);
  }
  ~SqliteWriter() override {
    m_pipe.reset();
    if (m_open) sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
  }

  void writeRow(const Value* values, size_t count) override {
    if (!m_open) throw DataError("The writer on table '" + m_table + "' is finished");
    const size_t n = m_columns.size();
    if (m_groupRows == 1) {
      sqlite3_reset(m_single.stmt);
      for (size_t i = 0; i < n; ++i) {
        bindValue(m_single.stmt, static_cast<int>(i) + 1,
                  converted(i, i < count ? values[i] : Value::null()), m_text[i]);
      }
      stepSingle();
      return;
    }
    // A row that fails to convert leaves its slots to the next row.
    RowBatch& batch = filling();
    StoredValue* slots = batch.values.data() + batch.rows * n;
    for (size_t i = 0; i < n; ++i) {
      slots[i].assign(converted(i, i < count ? values[i] : Value::null()));
    }
    if (++batch.rows * n < batch.values.size()) return;
    if (!m_pipe && !otherStatementBusy(m_db.get(), m_group)) {
      m_pipe = std::make_unique<RowBatchPipe>(kBatches, batch.values.size(),
                                              [this](RowBatch& b) { insertLater(b); });
      std::swap(m_pipe->filling().values, batch.values);
      m_pipe->filling().rows = batch.rows;
    }
    if (m_pipe) {
      m_pipe->send();
    } else {
      insert(batch);
      batch.rows = 0;
    }
  }

  void commit() override {
    if (!m_open) throw DataError("The writer on table '" + m_table + "' is finished");
    if (m_groupRows > 1) {
      if (m_pipe) {
        if (m_pipe->filling().rows > 0) m_pipe->send();
        m_pipe->drain();
        m_pipe.reset();
      } else {
        insert(m_batch);
      }
    }
    finish("COMMIT");
  }
  void rollback() override {
    m_pipe.reset();
    finish("ROLLBACK");
  }

 private:
  void prepare(size_t rows, Statement& into) {
    std::string sql = "INSERT INTO " + quoteName(m_table) + " (";
    for (size_t i = 0; i < m_columns.size(); ++i) {
      if (i) sql += ", ";
      sql += quoteName(m_columns[i].name);
    }
    sql += ") VALUES ";
    for (size_t r = 0; r < rows; ++r) {
      sql += r ? ", (" : "(";
      for (size_t i = 0; i < m_columns.size(); ++i) sql += i ? ", ?" : "?";
      sql += ")";
    }
    if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &into.stmt, nullptr) != SQLITE_OK) {
      std::string message = sqlite3_errmsg(m_db.get());
      finish("ROLLBACK");
      throw DataError("Cannot write to table '" + m_table + "': " + message);
    }
  }

  RowBatch& filling() { return m_pipe ? m_pipe->filling() : m_batch; }

  // Inserts the rows of `batch` in whole groups, the rest one by one. Runs on the inserting
  // thread once there is one, and nothing else then touches the statements or m_text.
  void insert(RowBatch& batch) {
    const size_t n = m_columns.size();
    size_t row = 0;
    for (; row + m_groupRows <= batch.rows; row += m_groupRows) {
      for (size_t k = 0; k < m_groupRows * n; ++k) {
        bindValue(m_group.stmt, static_cast<int>(k) + 1, batch.values[row * n + k].view(),
                  m_text[k]);
      }
      const int rc = sqlite3_step(m_group.stmt);
      sqlite3_reset(m_group.stmt);
      if (rc != SQLITE_DONE) fail(sqlite3_errmsg(m_db.get()));
    }
    for (; row < batch.rows; ++row) {
      sqlite3_reset(m_single.stmt);
      for (size_t i = 0; i < n; ++i) {
        bindValue(m_single.stmt, static_cast<int>(i) + 1, batch.values[row * n + i].view(),
                  m_text[i]);
      }
      stepSingle();
    }
  }

  // A refusal found on the inserting thread would reach the caller at a later row, so it
  // fails the run instead of naming the wrong row.
  void insertLater(RowBatch& batch) {
    try {
      insert(batch);
    } catch (const RowError& e) {
      throw DataError(e.what());
    }
  }

  Value converted(size_t i, const Value& in) {
    // A day already written as YYYY-MM-DD is stored as it stands: no round trip through the
    // date's parts on the hot path.
    if (in.kind == ValueKind::String && m_dayText[i] && isDayText(in.text)) return in;
    return convertForColumn(in, m_columns[i], m_scratch[i]);
  }

  void stepSingle() {
    const int rc = sqlite3_step(m_single.stmt);
    if (rc == SQLITE_DONE) return;
    std::string message = sqlite3_errmsg(m_db.get());
    sqlite3_reset(m_single.stmt);
    if ((rc & 0xff) == SQLITE_CONSTRAINT || rc == SQLITE_MISMATCH || rc == SQLITE_TOOBIG) {
      throw RowError("Table '" + m_table + "' refused the row: " + message,
                     constrainedColumn(message));
    }
    fail(message);
  }

  [[noreturn]] void fail(const std::string& message) {
    const std::string locked = lockedDatabaseMessage(m_db.get());
    throw DataError("Writing to table '" + m_table +
                    "' failed: " + (locked.empty() ? message : locked));
  }

  void finish(const char* sql) {
    if (!m_open) throw DataError("The writer on table '" + m_table + "' is finished");
    sqlite3_finalize(m_single.stmt);
    m_single.stmt = nullptr;
    sqlite3_finalize(m_group.stmt);
    m_group.stmt = nullptr;
    m_open = false;
    // SQLite has already rolled back after some failures (a full disk): nothing is left to undo.
    if (std::string_view(sql) == "ROLLBACK" && sqlite3_get_autocommit(m_db.get())) return;
    exec(sql);
  }

  void exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errmsg(m_db.get());
      sqlite3_free(error);
      const std::string locked = lockedDatabaseMessage(m_db.get());
      throw DataError("Writing to table '" + m_table + "' failed (" + statementExcerpt(sql) +
                      "): " + (locked.empty() ? message : locked));
    }
  }

  std::shared_ptr<sqlite3> m_db;
  std::string m_table;
  std::vector<ColumnInfo> m_columns;
  std::vector<std::string> m_scratch;  // conversion results, one per column
  std::vector<char> m_dayText;         // whether each column holds dates
  size_t m_groupRows = 1;              // rows per INSERT
  std::vector<std::string> m_text;     // date texts, one per bound value
  RowBatch m_batch;                    // the rows converted before the inserting thread starts
  Statement m_single;
  Statement m_group;
  bool m_open = false;
  std::unique_ptr<RowBatchPipe> m_pipe;  // last: its thread stops before the rest goes
};

}  // namespace

std::unique_ptr<RowWriter> openSqliteWriter(std::shared_ptr<sqlite3> db, const std::string& table,
                                            std::vector<ColumnInfo> columns) {
  return std::make_unique<SqliteWriter>(std::move(db), table, std::move(columns));
}

}  // namespace kpx::data
