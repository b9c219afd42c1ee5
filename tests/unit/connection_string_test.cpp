// Connection strings: built from a connection's properties byte for byte, parsed back into
// properties, and the provider they name found. Where a SQL Server connection goes: the server
// text of a connection in FreeTDS's form, the servers of freetds.conf and those a SQL Server
// Browser answer names.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data/providers/connection_properties.h"
#include "data/providers/memory/memory_provider.h"
#include "data/providers/provider.h"
#include "data/providers/sqlserver/server_address.h"
#include "data/providers/sqlserver/server_list.h"
#include "kpxwizard/connection.h"

using namespace kpx;
using kpx::data::ConnectionProperties;

namespace {

struct StringCase {
  const char* name;
  int32_t kind;  // 0: a new connection
  const char* database;
  const char* user;
  const char* password;
  int32_t layout;  // a text file's: delimited (with a header) or fixed width
  const char* expected;
};

class ConnectionString : public ::testing::TestWithParam<StringCase> {};

TEST_P(ConnectionString, IsBuiltByteForByte) {
  const StringCase& s = GetParam();
  clsConnection c;
  if (s.kind != 0) {
    c.setProvider(s.kind);
    c.setDatabase(s.database);
  }
  if (s.kind == CONN_SQLServer) c.setServer("S1");
  if (s.kind == CONN_TEXTFILE) {
    c.setMode(kpxSource);
    const bool delimited = s.layout == kpxDelimitedFile;
    c.setFormatFile(s.layout);
    c.setRowDelimiter(delimited ? kpxSemicolon : kpxLF);
    c.setSkipRows(delimited ? 1 : 0);
    c.setFirstRow(delimited ? -1 : 0);
    if (delimited) {
      c.setColumnDelimiter(",");
    } else {
      c.setColumnLengths("5,10");
      c.setColumnNames("A,B");
    }
  } else if (*s.user) {
    c.setUser(s.user);
  }
  if (*s.password) c.setPassword(s.password);
  EXPECT_EQ(c.CreateConnectionString(), s.expected);
  EXPECT_EQ(c.ConnectionString(), s.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ConnectionString,
    ::testing::Values(
        StringCase{"NewConnectionIsEmpty", 0, "", "", "", 0, ""},
        StringCase{"AccessWithPassword", CONN_ACCESS, "C:\\db\\a.mdb", "Admin", "pw", 0,
                   "Persist Security Info=True;Data Source=C:\\db\\a.mdb;User ID=Admin;"
                   "Jet OLEDB:Database Password=pw"},
        StringCase{"AccessWithoutPassword", CONN_ACCESS, "/data/a.db", "Admin", "", 0,
                   "Persist Security Info=True;Data Source=/data/a.db;User ID=Admin"},
        StringCase{"SqlServerWithPassword", CONN_SQLServer, "Sales", "U1", "secret", 0,
                   "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID=U1;"
                   "Password=secret"},
        StringCase{"SqlServerWithoutPassword", CONN_SQLServer, "Sales", "U1", "", 0,
                   "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID=U1"},
        StringCase{"SqlServerWindowsAuthentication", CONN_SQLServer, "Sales", "", "", 0,
                   "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID="},
        StringCase{"Excel97", CONN_EXCEL, "C:\\x.xls", "", "", 0,
                   "Persist Security Info=False;Data Source=C:\\x.xls;"
                   "Extended Properties=Excel 8.0"},
        StringCase{"DelimitedTextEndsWithASpace", CONN_TEXTFILE, "C:\\in.txt", "", "",
                   kpxDelimitedFile,
                   "Data Source=C:\\in.txt;Mode=1;Row Delimiter=';';File Format=1;"
                   "Column Delimiter=',';File Type=1; Skip Rows=1;First Row Column Name=True "},
        StringCase{"FixedWidthText", CONN_TEXTFILE, "C:\\in.txt", "", "", kpxFixedFile,
                   "Data Source=C:\\in.txt;Mode=1;Row Delimiter='\n';File Format=2;"
                   "Column Lengths='5,10';File Type=1; Skip Rows=0;First Row Column Name=False;"
                   "Number of Column=-1 ; Column Names='A,B'"}),
    [](const auto& info) { return info.param.name; });

TEST(Connection, ColumnDelimiterTabInAnyCase) {
  clsConnection c;
  for (auto [given, stored] :
       {std::pair{"tab", "\t"}, {"TaB", "\t"}, {"TABS", "TABS"}, {",", ","}}) {
    c.setColumnDelimiter(given);
    EXPECT_EQ(c.ColumnDelimiter(), stored) << given;
  }
}

using Items = std::vector<std::pair<std::string, std::string>>;

struct ParseCase {
  const char* name;
  std::string text;
  std::string expected;  // every property, in order, as "<name>value"
};

class ParsedConnectionString : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsedConnectionString, HoldsEveryProperty) {
  const ConnectionProperties properties = ConnectionProperties::parse(GetParam().text);
  std::string items;
  for (const auto& [name, value] : properties.items()) items += "<" + name + ">" + value;
  EXPECT_EQ(items, GetParam().expected);
}

const std::string kJet = "Provider=Microsoft.jet.OLEDB.4.0;";

INSTANTIATE_TEST_SUITE_P(
    Forms, ParsedConnectionString,
    testing::Values(
        ParseCase{"AccessWithPassword",
                  "Persist Security Info=True;Data Source=C:\\db\\a.mdb;User ID=admin;"
                  "Jet OLEDB:Database Password=s3cret" +
                      kJet,
                  "<Persist Security Info>True<Data Source>C:\\db\\a.mdb<User ID>admin"
                  "<Jet OLEDB:Database Password>s3cret<Provider>Microsoft.jet.OLEDB.4.0"},
        ParseCase{"DelimiterIsAQuote", "Row Delimiter='|';Column Delimiter=''';File Type=1",
                  "<Row Delimiter>|<Column Delimiter>'<File Type>1"},
        ParseCase{
            "FixedWidth",
            "Data Source=/f.txt;Mode=1;Row Delimiter='\n';File Format=2;Column Lengths='3,5,10';"
            "File Type=1; Skip Rows=2;First Row Column Name=False;Number of Column=-1 ; "
            "Column Names='A,B;C,D'Provider=DTSFlatFile.1;",
            "<Data Source>/f.txt<Mode>1<Row Delimiter>\n<File Format>2<Column Lengths>3,5,10"
            "<File Type>1<Skip Rows>2<First Row Column Name>False<Number of Column>-1"
            "<Column Names>A,B;C,D<Provider>DTSFlatFile.1"},
        ParseCase{"DoubleQuotedValue", "Extended Properties=\"Excel 8.0;HDR=YES\";Data Source=a",
                  "<Extended Properties>Excel 8.0;HDR=YES<Data Source>a"},
        ParseCase{"ProviderInsideAMiddleValueKept", "Password=aProvider=b;Data Source=c",
                  "<Password>aProvider=b<Data Source>c"},
        ParseCase{"LaterDuplicateWins", "Mode=1;mode=3", "<Mode>3"},
        ParseCase{"SegmentsWithoutEquals", ";;garbage;Mode=1;tail", "<Mode>1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParsedConnectionString, LooksUpNamesWithoutCaseOrBlanks) {
  auto props = ConnectionProperties::parse("Data Source=/a.mdb;Mode=1");
  EXPECT_EQ(props.get(" data source "), "/a.mdb");
  EXPECT_EQ(props.value("MODE"), "1");
  EXPECT_EQ(props.value("Password", "none"), "none");
  EXPECT_FALSE(props.has("Password"));
  props.set("mode", "3");
  EXPECT_EQ(props.items(), (Items{{"Data Source", "/a.mdb"}, {"Mode", "3"}}));
}

class FindProvider : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(FindProvider, IgnoresCaseAndVersionSuffix) {
  kpx::data::Provider* p = kpx::data::findProvider(GetParam().first);
  if (GetParam().second == nullptr) {
    EXPECT_EQ(p, nullptr);
  } else {
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->name(), GetParam().second);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FindProvider,
    testing::Values(std::pair{"Microsoft.jet.OLEDB.4.0", "Microsoft.Jet.OLEDB.4.0"},
                    std::pair{"Microsoft.Jet.OLEDB.4.0.1", "Microsoft.Jet.OLEDB.4.0"},
                    std::pair{"Microsoft.Jet.OLEDB.4", static_cast<const char*>(nullptr)},
                    std::pair{"Microsoft.Jet.OLEDB.4.0.x", static_cast<const char*>(nullptr)},
                    std::pair{"NoSuchProvider", static_cast<const char*>(nullptr)}));

TEST(SqlServerAddress, ServerTextInFreetdsForm) {
  const std::pair<const char*, const char*> rows[] = {
      {"db1", "db1"},
      {" db1,1500 ", "db1:1500"},
      {"tcp:db1,1433", "db1:1433"},
      {"db1\\SALES", "db1\\SALES"},
      {"db1\\SALES,1500", "db1:1500"},
      {"(local)", "localhost"},
  };
  for (const auto& [given, expected] : rows)
    EXPECT_EQ(data::freetdsServerName(given), expected) << given;
  for (const char* bad : {"", ",1433", "db1,14x3", "\\SALES"})
    EXPECT_THROW(data::freetdsServerName(bad), data::DataError) << bad;
}

TEST(SqlServerAddress, WindowsAuthenticationWithoutKerberosAsksForAUser) {
  unsetenv("KRB5CCNAME");
  if (access(("/tmp/krb5cc_" + std::to_string(getuid())).c_str(), F_OK) == 0)
    GTEST_SKIP() << "this machine has a Kerberos ticket";
  try {
    data::openDataSource(ConnectionProperties::parse(
        "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User "
        "ID=Provider=SQLOLEDB.1;"));
    FAIL() << "opened without a user";
  } catch (const data::DataError& e) {
    EXPECT_NE(std::string(e.what()).find("give a user and a password"), std::string::npos)
        << e.what();
  }
}

TEST(SqlServerList, FreetdsConfSectionsButGlobal) {
  EXPECT_EQ(data::freetdsConfServers("[global]\n tds version = 7.4\n[ sales ]\nhost = s1\n"
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
  EXPECT_EQ(data::browseSqlServers("127.0.0.1", ntohs(at.sin_port), 500),
            (std::vector<std::string>{"DB1", "DB1\\SALES", "DB2"}));
  browser.join();
  // Nobody answers now: the list is empty once the wait is over.
  EXPECT_TRUE(data::browseSqlServers("127.0.0.1", ntohs(at.sin_port), 100).empty());
  close(sock);
}

}  // namespace
