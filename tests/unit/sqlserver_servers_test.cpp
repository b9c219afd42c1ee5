// Where a SQL Server connection goes: the server text of a connection in FreeTDS's form, the
// servers of freetds.conf and those a SQL Server Browser answer names.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "data/providers/provider.h"
#include "data/providers/sqlserver/server_address.h"
#include "data/providers/sqlserver/server_list.h"

using namespace kpx::data;

namespace {

TEST(SqlServerAddress, ServerTextInFreetdsForm) {
  const std::pair<const char*, const char*> rows[] = {
      {"db1", "db1"},
      {" db1,1500 ", "db1:1500"},
      {"tcp:db1,1433", "db1:1433"},
      {"db1\\SALES", "db1\\SALES"},
      {"db1\\SALES,1500", "db1:1500"},
      {"(local)", "localhost"},
  };
  for (const auto& [given, expected] : rows) EXPECT_EQ(freetdsServerName(given), expected) << given;
  for (const char* bad : {"", ",1433", "db1,14x3", "\\SALES"})
    EXPECT_THROW(freetdsServerName(bad), DataError) << bad;
}

TEST(SqlServerAddress, WindowsAuthenticationWithoutKerberosAsksForAUser) {
  unsetenv("KRB5CCNAME");
  if (access(("/tmp/krb5cc_" + std::to_string(getuid())).c_str(), F_OK) == 0)
    GTEST_SKIP() << "this machine has a Kerberos ticket";
  try {
    openDataSource(ConnectionProperties::parse(
        "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User "
        "ID=Provider=SQLOLEDB.1;"));
    FAIL() << "opened without a user";
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find("give a user and a password"), std::string::npos)
        << e.what();
  }
}

TEST(SqlServerList, FreetdsConfSectionsButGlobal) {
  EXPECT_EQ(freetdsConfServers("[global]\n tds version = 7.4\n[ sales ]\nhost = s1\n"
                               "; [commented]\n[Reports]\n[SALES]\n"),
            (std::vector<std::string>{"sales", "Reports"}));
}

TEST(SqlServerList, NamesFromBrowserAnswers) {
  const int sock = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  socklen_t size = sizeof at;
  getsockname(sock, reinterpret_cast<sockaddr*>(&at), &size);
  std::thread browser([sock] {
    char request[16];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    if (recvfrom(sock, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &length) !=
        1)
      return;
    for (std::string text : {"ServerName;DB1;InstanceName;MSSQLSERVER;IsClustered;No;tcp;1433;;"
                             "ServerName;DB1;InstanceName;SALES;IsClustered;No;tcp;1500;;",
                             "ServerName;DB2;InstanceName;MSSQLSERVER;;"}) {
      const std::string answer = std::string("\x05\x00\x00", 3) + text;
      sendto(sock, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
  });
  EXPECT_EQ(browseSqlServers("127.0.0.1", ntohs(at.sin_port), 500),
            (std::vector<std::string>{"DB1", "DB1\\SALES", "DB2"}));
  browser.join();
  // Nobody answers now: the list is empty once the wait is over.
  EXPECT_TRUE(browseSqlServers("127.0.0.1", ntohs(at.sin_port), 100).empty());
  close(sock);
}

}  // namespace
