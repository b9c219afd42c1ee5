#include "data/providers/sqlserver/sqlserver_provider.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>

#include "data/providers/sqlserver/dblib_session.h"
#include "data/providers/sqlserver/server_address.h"
#include "data/providers/sqlserver/sqlserver_types.h"
#include "data/providers/sqlserver/sqlserver_writer.h"
#include "data/providers/text_compare.h"
#include "data/quoted_name.h"

namespace kpx::data {
namespace {

std::string quoteName(const std::string& name) {
  return QuoteName(name, "[", "]");
}

// The last part of a name such as [Sales].[dbo].[Orders], brackets removed.
std::string lastNamePart(const std::string& name) {
  if (name.empty() || name.front() != '[') return name;
  std::string part;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '.') {
      part.clear();
    } else if (name[i] == '[') {
      for (++i; i < name.size(); ++i) {
        if (name[i] == ']' && (i + 1 >= name.size() || name[i + 1] != ']')) break;
        if (name[i] == ']') ++i;
        part += name[i];
      }
    } else {
      part += name[i];
    }
  }
  return part;
}

class SqlServerReader : public RowReader {
 public:
  SqlServerReader(std::shared_ptr<DbSession> session, std::vector<ColumnInfo> columns)
      : m_session(std::move(session)), m_columns(std::move(columns)), m_buffers(m_columns.size()) {}
  const std::vector<ColumnInfo>& columns() const override { return m_columns; }
  bool next() override {
    if (m_done) return false;
    if (m_session->nextRow()) {
      ++m_rows;
      return true;
    }
    m_done = true;
    while (m_session->nextResult()) {
      while (m_session->nextRow()) {
      }
    }
    return false;
  }
  Value field(size_t i) const override {
    if (i >= m_columns.size()) return Value::null();
    return resultField(m_session->handle(), static_cast<int>(i) + 1, m_buffers[i]);
  }
  ReadProgress progress() const override { return {m_rows, 0}; }

 private:
  std::shared_ptr<DbSession> m_session;
  std::vector<ColumnInfo> m_columns;
  mutable std::vector<std::string> m_buffers;
  int64_t m_rows = 0;
  bool m_done = false;
};

class SqlServerDatabase : public DataSource {
 public:
  explicit SqlServerDatabase(std::shared_ptr<DbSession> session) : m_session(std::move(session)) {}

  std::vector<TableInfo> tables() override {
    m_session->send(
        "SELECT TABLE_NAME, TABLE_TYPE FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA = "
        "'dbo' ORDER BY TABLE_NAME");
    std::vector<TableInfo> out;
    std::string a, b;
    while (m_session->nextResult()) {
      while (m_session->nextRow()) {
        const std::string type = text(2, b);
        out.push_back({text(1, a), type == "VIEW" ? "VIEW" : "TABLE"});
      }
    }
    return out;
  }

  std::vector<CatalogColumn> typedColumns(const std::string& table) {
    const SqlParameter name =
        parameterFor(1, catalogColumn("", "nvarchar", 128, 0, 0, true), Value::fromString(table));
    m_session->send(
        "SELECT COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, "
        "NUMERIC_SCALE, IS_NULLABLE FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA = 'dbo' "
        "AND TABLE_NAME = @P1 ORDER BY ORDINAL_POSITION",
        {name});
    std::vector<CatalogColumn> out;
    std::string buffers[6];
    while (m_session->nextResult()) {
      while (m_session->nextRow()) {
        out.push_back(catalogColumn(text(1, buffers[0]), text(2, buffers[1]), number(3, buffers[2]),
                                    static_cast<int>(number(4, buffers[3])),
                                    static_cast<int>(number(5, buffers[4])),
                                    text(6, buffers[5]) != "NO"));
      }
    }
    return out;
  }

  std::vector<ColumnInfo> catalogColumns(const std::string& table) override {
    std::vector<ColumnInfo> out;
    for (auto& c : typedColumns(table)) out.push_back(std::move(c.info));
    return out;
  }

  std::unique_ptr<RowReader> openCatalogTable(const std::string& table) override {
    auto columns = catalogColumns(table);
    std::string sql = "SELECT ";
    for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + quoteName(columns[i].name);
    sql += " FROM " + quoteName(table);
    m_session->send(sql);
    m_session->nextResult();
    return std::make_unique<SqlServerReader>(m_session, std::move(columns));
  }

  std::unique_ptr<RowReader> openQuery(const std::string& sql) override {
    m_session->send(sql);
    if (!m_session->nextResult()) {
      throw DataError("The query on SQL Server " + m_session->where() + " returns no rows: " + sql);
    }
    std::vector<ColumnInfo> columns;
    const int n = m_session->columnCount();
    for (int i = 1; i <= n; ++i) columns.push_back(resultColumn(m_session->handle(), i));
    return std::make_unique<SqlServerReader>(m_session, std::move(columns));
  }

  void execute(const std::string& sql) override { m_session->run(sql); }

  std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                        const std::vector<std::string>& names) override {
    const std::string name = existingTable(table);
    const auto all = typedColumns(name);
    std::vector<CatalogColumn> chosen;
    for (const auto& wanted : names) {
      const CatalogColumn* found = nullptr;
      for (const auto& c : all) {
        if (equalsIgnoringCase(c.info.name, wanted)) found = &c;
      }
      if (!found) throw DataError("The table '" + name + "' has no column '" + wanted + "'");
      chosen.push_back(*found);
    }
    return openSqlServerWriter(m_session, name, std::move(chosen));
  }

 protected:
  std::string tableKey(const std::string& name) const override { return lastNamePart(name); }
  std::string describe() const override { return "SQL Server " + m_session->where(); }

 private:
  std::string text(int column, std::string& buffer) {
    const Value v = resultField(m_session->handle(), column, buffer);
    return v.isNull() ? std::string() : toText(v);
  }
  int64_t number(int column, std::string& buffer) {
    const Value v = resultField(m_session->handle(), column, buffer);
    int64_t n = 0;
    if (v.kind == ValueKind::Integer) return v.integer;
    if (!v.isNull()) parseInteger(toText(v), n);
    return n;
  }

  std::shared_ptr<DbSession> m_session;
};

// A Kerberos login needs a ticket cache: the one KRB5CCNAME names or the default file.
bool hasKerberosTicket() {
  if (const char* cache = std::getenv("KRB5CCNAME"); cache && *cache) return true;
  return std::filesystem::exists("/tmp/krb5cc_" + std::to_string(getuid()));
}

bool asksForTrustedConnection(const ConnectionProperties& properties) {
  const std::string integrated = properties.value("Integrated Security");
  const std::string trusted = properties.value("Trusted_Connection");
  return equalsIgnoringCase(integrated, "SSPI") || equalsIgnoringCase(integrated, "true") ||
         equalsIgnoringCase(trusted, "yes") || equalsIgnoringCase(trusted, "true");
}

}  // namespace

std::unique_ptr<DataSource> SqlServerProvider::open(const ConnectionProperties& properties) {
  SqlServerLogin login;
  login.server = freetdsServerName(properties.value("Data Source"));
  login.database = properties.value("Initial Catalog");
  login.user = properties.value("User ID");
  login.password = properties.value("Password");
  if (login.user.empty() || asksForTrustedConnection(properties)) {
    if (!hasKerberosTicket()) {
      throw DataError("Windows authentication to SQL Server '" + login.server +
                      "' needs a Kerberos ticket, which this machine does not have: give a "
                      "user and a password (SQL authentication)");
    }
    login.integrated = true;
  }
  return std::make_unique<SqlServerDatabase>(std::make_shared<DbSession>(login));
}

}  // namespace kpx::data
