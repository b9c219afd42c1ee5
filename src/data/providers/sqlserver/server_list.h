// The SQL Servers a connection can be pointed at: the servers FreeTDS's configuration names
// and those that answer a SQL Server Browser request on the network.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "kpxwizard/export.h"

namespace kpx::data {

// Section names of a freetds.conf text, [global] aside, in file order.
std::vector<std::string> freetdsConfServers(const std::string& text);

// Adds the names one SQL Server Browser answer gives (0x05, a 16-bit length, then
// "ServerName;S;InstanceName;I;…;;" per instance) to `names`, skipping names already there.
void addBrowserAnswer(std::vector<std::string>& names, std::string_view answer);

// Names in SQL Server Browser answers ("HOST" or "HOST\INSTANCE"), gathered from the answers
// to one request sent to `address`:`port` (a broadcast address asks the whole network) for
// `waitMs` milliseconds; empty when none answers.
std::vector<std::string> browseSqlServers(const std::string& address, int port, int waitMs);

// The servers of the first freetds.conf found ($FREETDSCONF, ~/.freetds.conf,
// /etc/freetds/freetds.conf) followed by those that answer a broadcast request within the
// milliseconds KPX_SQLSERVER_BROWSE_MS gives (1000 when unset; 0 asks no one), without repeats.
KPX_WINDOWS_API std::vector<std::string> availableSqlServers();

}  // namespace kpx::data
