#include <gtest/gtest.h>

#include "kpxwizard/connection.h"
#include "kpxwizard/wizard.h"
#include "model/main_window_state.h"

using namespace kpx;

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

}  // namespace
