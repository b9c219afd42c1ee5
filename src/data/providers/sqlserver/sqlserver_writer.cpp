#include "data/providers/sqlserver/sqlserver_writer.h"

#include "data/providers/value_conversion.h"
#include "data/quoted_name.h"

namespace kpx::data {
namespace {

// Digits after the point, trailing zeros aside: the server would round away any beyond a
// column's scale, so such a value is refused rather than changed.
size_t decimals(std::string_view digits) {
  const size_t point = digits.find('.');
  if (point == std::string_view::npos) return 0;
  size_t end = digits.size();
  while (end > point + 1 && digits[end - 1] == '0') --end;
  return end - point - 1;
}

std::string bracketed(const std::string& name) {
  return QuoteName(name, "[", "]");
}

class SqlServerWriter : public RowWriter {
 public:
  SqlServerWriter(std::shared_ptr<DbSession> session, std::string table,
                  std::vector<CatalogColumn> columns)
      : m_session(std::move(session)),
        m_table(std::move(table)),
        m_columns(std::move(columns)),
        m_scratch(m_columns.size()) {
    std::string names, values;
    for (size_t i = 0; i < m_columns.size(); ++i) {
      names += (i ? ", " : "") + bracketed(m_columns[i].info.name);
      values += (i ? ", @P" : "@P") + std::to_string(i + 1);
    }
    m_insert = "INSERT INTO " + bracketed(m_table) + " (" + names + ") VALUES (" + values + ")";
    m_session->run("SET XACT_ABORT OFF");
    m_session->run("BEGIN TRANSACTION");
  }
  ~SqlServerWriter() override {
    if (!m_finished) rollback();
  }

  void writeRow(const Value* values, size_t count) override {
    std::vector<SqlParameter> parameters;
    parameters.reserve(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i) {
      const Value in = i < count ? values[i] : Value::null();
      const Value converted = convertForColumn(in, m_columns[i].info, m_scratch[i]);
      const CatalogColumn& column = m_columns[i];
      if (converted.kind == ValueKind::Decimal && column.scale >= 0 &&
          decimals(converted.text) > static_cast<size_t>(column.scale)) {
        throw RowError("The value " + std::string(converted.text) + " has more decimals than " +
                           "column '" + column.info.name + "' (" + column.declaration + ") keeps",
                       column.info.name, std::string(converted.text));
      }
      parameters.push_back(parameterFor(static_cast<int>(i) + 1, m_columns[i], converted));
    }
    try {
      m_session->run(m_insert, parameters);
    } catch (const DataError& e) {
      if (m_session->dead()) throw;
      throw RowError("Table '" + m_table + "' refused the row: " + m_session->lastError());
    }
  }

  void commit() override {
    m_finished = true;
    m_session->run("COMMIT TRANSACTION");
  }

  void rollback() override {
    m_finished = true;
    if (m_session->dead()) return;  // the server rolls back a transaction whose connection ends
    try {
      m_session->run("ROLLBACK TRANSACTION");
    } catch (const DataError&) {
      // A transaction the server has already ended leaves nothing to undo.
    }
  }

 private:
  std::shared_ptr<DbSession> m_session;
  std::string m_table;
  std::vector<CatalogColumn> m_columns;
  std::vector<std::string> m_scratch;
  std::string m_insert;
  bool m_finished = false;
};

}  // namespace

std::unique_ptr<RowWriter> openSqlServerWriter(std::shared_ptr<DbSession> session,
                                               const std::string& table,
                                               std::vector<CatalogColumn> columns) {
  return std::make_unique<SqlServerWriter>(std::move(session), table, std::move(columns));
}

}  // namespace kpx::data
