// SQL Server databases on the command line: mssql://user@host[:port]/database, with the
// password from KPX_SQLSERVER_PASSWORD or asked for on the terminal, never on the command line.
#pragma once
#include <optional>
#include <string>

namespace kpx::cli {

struct SqlServerAddress {
  std::string user;
  std::string server;  // "host" or "host,port", as a connection's Server holds it
  std::string database;
};

// The address `text` gives; nothing when it does not start with mssql://; CliError naming
// the part that is missing.
std::optional<SqlServerAddress> parseSqlServerAddress(const std::string& text);

// KPX_SQLSERVER_PASSWORD, or the password typed on the terminal without echo; CliError when
// there is neither.
std::string sqlServerPassword(const SqlServerAddress& address);

}  // namespace kpx::cli
