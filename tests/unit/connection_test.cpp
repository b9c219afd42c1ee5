#include <gtest/gtest.h>

#include <functional>

#include "kpxwizard/connection.h"
#include "kpxwizard/wizard.h"
#include "model/main_window_state.h"

using namespace kpx;

namespace {

struct StringCase {
  const char* name;
  std::function<void(clsConnection&)> setup;
  const char* expected;
};

class ConnectionString : public ::testing::TestWithParam<StringCase> {};

TEST_P(ConnectionString, IsBuiltByteForByte) {
  clsConnection c;
  GetParam().setup(c);
  EXPECT_EQ(c.CreateConnectionString(), GetParam().expected);
  EXPECT_EQ(c.ConnectionString(), GetParam().expected);
}

void textFile(clsConnection& c, int32_t format) {
  c.setProvider(CONN_TEXTFILE);
  c.setDatabase("C:\\in.txt");
  c.setMode(kpxSource);
  c.setFormatFile(format);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ConnectionString,
    ::testing::Values(
        StringCase{"NewConnectionIsEmpty", [](clsConnection&) {}, ""},
        StringCase{"AccessWithPassword",
                   [](clsConnection& c) {
                     c.setProvider(CONN_ACCESS);
                     c.setDatabase("C:\\db\\a.mdb");
                     c.setUser("Admin");
                     c.setPassword("pw");
                   },
                   "Persist Security Info=True;Data Source=C:\\db\\a.mdb;User ID=Admin;"
                   "Jet OLEDB:Database Password=pw"},
        StringCase{"AccessWithoutPassword",
                   [](clsConnection& c) {
                     c.setProvider(CONN_ACCESS);
                     c.setDatabase("/data/a.db");
                     c.setUser("Admin");
                   },
                   "Persist Security Info=True;Data Source=/data/a.db;User ID=Admin"},
        StringCase{"SqlServerWithPassword",
                   [](clsConnection& c) {
                     c.setProvider(CONN_SQLServer);
                     c.setServer("S1");
                     c.setDatabase("Sales");
                     c.setUser("U1");
                     c.setPassword("secret");
                   },
                   "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID=U1;"
                   "Password=secret"},
        StringCase{"SqlServerWithoutPassword",
                   [](clsConnection& c) {
                     c.setProvider(CONN_SQLServer);
                     c.setServer("S1");
                     c.setDatabase("Sales");
                     c.setUser("U1");
                   },
                   "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID=U1"},
        StringCase{"SqlServerWindowsAuthentication",
                   [](clsConnection& c) {
                     c.setProvider(CONN_SQLServer);
                     c.setServer("S1");
                     c.setDatabase("Sales");
                   },
                   "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID="},
        StringCase{"Excel97",
                   [](clsConnection& c) {
                     c.setProvider(CONN_EXCEL);
                     c.setDatabase("C:\\x.xls");
                   },
                   "Persist Security Info=False;Data Source=C:\\x.xls;"
                   "Extended Properties=Excel 8.0"},
        StringCase{"DelimitedTextEndsWithASpace",
                   [](clsConnection& c) {
                     textFile(c, kpxDelimitedFile);
                     c.setRowDelimiter(kpxSemicolon);
                     c.setColumnDelimiter(",");
                     c.setSkipRows(1);
                     c.setFirstRow(-1);
                   },
                   "Data Source=C:\\in.txt;Mode=1;Row Delimiter=';';File Format=1;"
                   "Column Delimiter=',';File Type=1; Skip Rows=1;First Row Column Name=True "},
        StringCase{"FixedWidthText",
                   [](clsConnection& c) {
                     textFile(c, kpxFixedFile);
                     c.setRowDelimiter(kpxLF);
                     c.setColumnLengths("5,10");
                     c.setColumnNames("A,B");
                     c.setFirstRow(0);
                   },
                   "Data Source=C:\\in.txt;Mode=1;Row Delimiter='\n';File Format=2;"
                   "Column Lengths='5,10';File Type=1; Skip Rows=0;First Row Column Name=False;"
                   "Number of Column=-1 ; Column Names='A,B'"}),
    [](const auto& info) { return info.param.name; });

TEST(Connection, ProviderSetsKindAndKnownProviderName) {
  clsConnection c;
  c.setProvider(CONN_SQLServer);
  EXPECT_EQ(c.ProviderString(), "SQLOLEDB");
  c.setProvider(CONN_PARADOX);
  EXPECT_EQ(c.ConType(), CONN_PARADOX);
  EXPECT_EQ(c.ProviderString(), "SQLOLEDB");
  c.setProvider(11);
  EXPECT_EQ(c.ProviderString(), "SQLOLEDB");
  c.setProvider(CONN_TEXTFILE);
  EXPECT_EQ(c.ProviderString(), "DTSFlatFile");
  c.setProvider(CONN_EXCEL4);
  EXPECT_EQ(c.ProviderString(), "Microsoft.Jet.OLEDB.4.0");
  c.setConType(CONN_SQLServer);
  EXPECT_EQ(c.ProviderString(), "Microsoft.Jet.OLEDB.4.0");
}

TEST(Connection, ColumnDelimiterTabInAnyCase) {
  clsConnection c;
  for (auto [given, stored] :
       {std::pair{"tab", "\t"}, {"TaB", "\t"}, {"TABS", "TABS"}, {",", ","}}) {
    c.setColumnDelimiter(given);
    EXPECT_EQ(c.ColumnDelimiter(), stored) << given;
  }
}

}  // namespace
