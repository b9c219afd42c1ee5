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
        StringCase{"AccessEmptyUserWithPassword",
                   [](clsConnection& c) {
                     c.setProvider(CONN_ACCESS);
                     c.setDatabase("a.mdb");
                     c.setPassword("p");
                   },
                   "Persist Security Info=True;Data Source=a.mdb;User ID=;"
                   "Jet OLEDB:Database Password=p"},
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
        StringCase{"Excel3",
                   [](clsConnection& c) {
                     c.setProvider(CONN_EXCEL3);
                     c.setDatabase("x.xls");
                   },
                   "Persist Security Info=False;Data Source=x.xls;Extended Properties=Excel 3.0"},
        StringCase{"Excel4",
                   [](clsConnection& c) {
                     c.setProvider(CONN_EXCEL4);
                     c.setDatabase("x.xls");
                   },
                   "Persist Security Info=False;Data Source=x.xls;Extended Properties=Excel 4.0"},
        StringCase{"Excel5",
                   [](clsConnection& c) {
                     c.setProvider(CONN_EXCEL5);
                     c.setDatabase("x.xls");
                   },
                   "Persist Security Info=False;Data Source=x.xls;Extended Properties=Excel 5.0"},
        StringCase{"Html",
                   [](clsConnection& c) {
                     c.setProvider(CONN_HTML_SOURCE);
                     c.setDatabase("/p/t.html");
                     c.setUser("u");
                   },
                   "Data Source=/p/t.html;Extended Properties=HTML Import;User ID=u"},
        StringCase{"DbaseAndParadoxAreEmpty",
                   [](clsConnection& c) {
                     c.setProvider(CONN_dBASE);
                     c.setDatabase("x.dbf");
                   },
                   ""},
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
        StringCase{"DelimitedTextWritesCrLfItself",
                   [](clsConnection& c) {
                     textFile(c, kpxDelimitedFile);
                     c.setMode(kpxDestination);
                     c.setRowDelimiter(kpxCRLF);
                     c.setColumnDelimiter("tab");
                     c.setFirstRow(1);
                   },
                   "Data Source=C:\\in.txt;Mode=3;Row Delimiter='\r\n';File Format=1;"
                   "Column Delimiter='\t';File Type=1; Skip Rows=0;First Row Column Name=False "},
        StringCase{"VerticalBarRowDelimiter",
                   [](clsConnection& c) {
                     textFile(c, kpxDelimitedFile);
                     c.setRowDelimiter(kpxVerticalBar);
                     c.setColumnDelimiter(";");
                   },
                   "Data Source=C:\\in.txt;Mode=1;Row Delimiter='|';File Format=1;"
                   "Column Delimiter=';';File Type=1; Skip Rows=0;First Row Column Name= "},
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
                   "Number of Column=-1 ; Column Names='A,B'"},
        StringCase{"ResetTextFileUsesTheFixedForm",
                   [](clsConnection& c) {
                     textFile(c, kpxDelimitedFile);
                     c.setRowDelimiter(kpxCR);
                     c.ResetConnection();
                     c.setConType(CONN_TEXTFILE);
                     c.setDatabase("f.txt");
                   },
                   "Data Source=f.txt;Mode=0;Row Delimiter='\r';File Format=0;"
                   "Column Lengths='';File Type=1; Skip Rows=0;First Row Column Name=False;"
                   "Number of Column=-1 ; Column Names=''"}),
    [](const auto& info) { return info.param.name; });

TEST(Connection, NewConnectionHasItsDefaults) {
  clsConnection c;
  EXPECT_EQ(c.ConType(), 0);
  EXPECT_EQ(c.ProviderString(), "");
  EXPECT_EQ(c.RowDelimiter(), kpxCRLF);
  EXPECT_EQ(c.RowDelimiterChars(), "");
  EXPECT_EQ(c.FirstRow(), 0);
  EXPECT_EQ(c.FirstRowText(), "");
  EXPECT_NE(c.Columns(), nullptr);
  EXPECT_EQ(c.Columns()->Count(), 0);
}

TEST(Connection, ModeDerivesIdAndModeText) {
  clsConnection c;
  for (auto [mode, id, modeText] : {std::tuple{1, 1, 1}, {2, 2, 3}, {5, 2, 3}, {0, 2, 3}}) {
    c.setMode(mode);
    EXPECT_EQ(c.Mode(), mode);
    EXPECT_EQ(c.id(), id) << mode;
    EXPECT_EQ(c.ModeText(), modeText) << mode;
  }
}

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
  for (auto [given, stored] : {std::pair{"tab", "\t"}, {"TaB", "\t"}, {"TABS", "TABS"}, {",", ","}}) {
    c.setColumnDelimiter(given);
    EXPECT_EQ(c.ColumnDelimiter(), stored) << given;
  }
}

TEST(Connection, RowDelimiterIgnoresUnknownCodes) {
  clsConnection c;
  c.setRowDelimiter(kpxTab);
  c.setRowDelimiter(7);
  c.setRowDelimiter(-1);
  EXPECT_EQ(c.RowDelimiter(), kpxTab);
  EXPECT_EQ(c.RowDelimiterChars(), "\t");
}

TEST(Connection, FirstRowIsTrueOnlyForMinusOne) {
  clsConnection c;
  c.setFirstRow(1);
  EXPECT_EQ(c.FirstRow(), 0);
  EXPECT_EQ(c.FirstRowText(), "False");
  c.setFirstRow(-1);
  EXPECT_EQ(c.FirstRow(), -1);
  EXPECT_EQ(c.FirstRowText(), "True");
}

struct QualifierCase {
  int32_t language;
  const char* given;
  const char* stored;
};

class TextQualifier : public ::testing::TestWithParam<QualifierCase> {};

TEST_P(TextQualifier, AcceptsCharactersAndDialogCaptions) {
  auto wizard = cKPXWizard::create();
  wizard->setLanguage(GetParam().language);
  clsConnection c;
  c.setTextQualifier("x");
  c.setTextQualifier(GetParam().given);
  EXPECT_EQ(c.TextQualifier(), GetParam().stored);
  wizard->CloseWizard();
}

INSTANTIATE_TEST_SUITE_P(
    Captions, TextQualifier,
    ::testing::Values(QualifierCase{0, "Inverted commas {''}", "\""},
                      QualifierCase{0, "Apex {'}", "'"}, QualifierCase{0, "<Nothing>", ""},
                      QualifierCase{1, "Virgolette doppie {''}", "\""},
                      QualifierCase{1, "Virgolette singole {'}", "'"},
                      QualifierCase{1, "<Nessuno>", ""},
                      QualifierCase{0, "Virgolette doppie {''}", "Virgolette doppie {''}"},
                      QualifierCase{0, "Inverted commas", "Inverted commas"},
                      QualifierCase{0, "\"", "\""}));

TEST(Connection, CreatedDestinationTableSetsTheNewTableFlag) {
  clsConnection c;
  c.setCreatedDestinationTable(true);
  EXPECT_TRUE(mainWindowState().NewTableRequested);
  c.setCreatedDestinationTable(false);
  EXPECT_FALSE(mainWindowState().NewTableRequested);
}

TEST(Connection, ResetClearsAllButNameStringCountAndColumns) {
  clsConnection c;
  c.setName("keep");
  c.setProvider(CONN_TEXTFILE);
  c.setMode(kpxDestination);
  c.setDatabase("d");
  c.setTableName("t");
  c.setUser("u");
  c.setServer("s");
  c.setPassword("p");
  c.setColumnLengths("1");
  c.setColumnNames("n");
  c.setTextQualifier("\"");
  c.setTableType(kpxTypeTable);
  c.setRowDelimiter(kpxComma);
  c.setFirstRow(-1);
  c.setFormatFile(kpxFixedFile);
  c.setSkipRows(3);
  c.setNumberColumns(4);
  c.CreateConnectionString();
  std::string kept = c.ConnectionString();
  auto columns = c.Columns();
  columns->Add("col");
  c.setCreatedDestinationTable(true);

  c.ResetConnection();

  EXPECT_EQ(c.ConType(), -1);
  EXPECT_EQ(c.ProviderString(), "-1");
  EXPECT_EQ(c.Mode(), -1);
  EXPECT_EQ(c.id(), 0);
  EXPECT_EQ(c.ModeText(), 0);
  for (auto* s : {&c.Database(), &c.TableName(), &c.User(), &c.Server(), &c.Password(),
                  &c.ColumnLengths(), &c.ColumnNames(), &c.TextQualifier()})
    EXPECT_EQ(*s, "");
  EXPECT_EQ(c.TableType(), 0);
  EXPECT_FALSE(c.CreatedDestinationTable());
  EXPECT_TRUE(mainWindowState().NewTableRequested);  // only the field is cleared
  EXPECT_EQ(c.ColumnDelimiter(), "-1");
  EXPECT_EQ(c.RowDelimiter(), kpxComma);
  EXPECT_EQ(c.FirstRowText(), "False");
  EXPECT_EQ(c.FormatFile(), 0);
  EXPECT_EQ(c.SkipRows(), 0);
  EXPECT_EQ(c.Name(), "keep");
  EXPECT_EQ(c.ConnectionString(), kept);
  EXPECT_EQ(c.NumberColumns(), 4);
  EXPECT_EQ(c.Columns(), columns);
  EXPECT_EQ(c.Columns()->Count(), 1);
  mainWindowState().NewTableRequested = false;
}

}  // namespace
