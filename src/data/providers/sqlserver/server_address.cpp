#include "data/providers/sqlserver/server_address.h"

#include <algorithm>

#include "data/providers/provider.h"
#include "data/providers/text_compare.h"

namespace kpx::data {

std::string freetdsServerName(const std::string& dataSource) {
  std::string name = dataSource;
  name.erase(0, name.find_first_not_of(" \t"));
  name.erase(name.find_last_not_of(" \t") + 1);
  if (name.size() > 4 && equalsIgnoringCase(name.substr(0, 4), "tcp:")) name.erase(0, 4);
  const size_t comma = name.find(',');
  std::string host = name.substr(0, comma);
  if (host == "." || equalsIgnoringCase(host, "(local)")) host = "localhost";
  if (host.empty() || host.front() == '\\') {
    throw DataError("The SQL Server connection names no server ('" + dataSource + "')");
  }
  if (comma == std::string::npos) return host;
  std::string port = name.substr(comma + 1);
  port.erase(0, port.find_first_not_of(' '));
  if (port.empty() || port.size() > 5 ||
      !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw DataError("The port of the SQL Server '" + dataSource + "' is not a number");
  }
  // An instance name gives way to the port, as the server's own clients do.
  return host.substr(0, host.find('\\')) + ":" + port;
}

}  // namespace kpx::data
