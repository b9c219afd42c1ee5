#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "data/providers/html/html_source.h"
#include "data/providers/memory/memory_provider.h"
#include "support/command_output.h"
#include "data/query/query_engine.h"
#include "support/rows_as_text.h"

namespace kpx::data {
namespace {

const std::string kCatalogue = std::string(KPX_TEST_DATA) + "/html/catalogue.html";

std::unique_ptr<DataSource> openCatalogue() {
  return openHtmlSource(ConnectionProperties::parse("Data Source=" + kCatalogue + ";Extended Properties=HTML Import"));
}

std::vector<std::vector<std::string>> rowsOf(RowReader& reader) { return test::readRowsAsText(reader); }

using Rows = std::vector<std::vector<std::string>>;

struct QueryCase {
  const char* name;
  const char* sql;
  Rows rows;
};

class HtmlQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(HtmlQuery, GivesTheRowsJetGives) {
  auto source = openCatalogue();
  auto reader = source->openQuery(GetParam().sql);
  EXPECT_EQ(rowsOf(*reader), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlQuery,
    ::testing::Values(
        QueryCase{"WhereAndOrderIgnoreCase",
                  "SELECT Code, Price FROM Products WHERE Price > 0 ORDER BY Code",
                  {{"A01", "12.5"}, {"b02", "3"}}},
        QueryCase{"BracketedLowerCaseNames", "SELECT [code] FROM [products] WHERE code = 'a01' OR Code = 'B02'",
                  {{"A01"}, {"b02"}}},
        QueryCase{"AccentedTextComparesWithoutCase",
                  "SELECT Code FROM Products WHERE Name = 'CAF\u00c9 & CR\u00c8ME'", {{"A01"}}},
        QueryCase{"LikeIgnoresCase", "SELECT Code FROM Products WHERE Name LIKE '%GREEN%'", {{"b02"}}},
        QueryCase{"GroupBy",
                  "SELECT Region, SUM(Sales) AS Total, COUNT(*) AS N FROM Table2 GROUP BY Region ORDER BY Region DESC",
                  {{"South total", "-20", "1"}, {"North", "250.5", "2"}, {"East", "7", "1"}}},
        QueryCase{"DatesCompareWithIsoText",
                  "SELECT Code, Added FROM Products WHERE Added >= '2024-01-01' ORDER BY Added",
                  {{"C03", "2024-01-15 17:45:10"}, {"A01", "2024-02-29"}}},
        QueryCase{"BooleanColumnAsCondition", "SELECT Code FROM Products WHERE [In stock] ORDER BY 1",
                  {{"A01"}, {"C03"}}},
        QueryCase{"NullsAndEmptyHeaderName", "SELECT Code FROM Products WHERE F6 IS NULL", {{"b02"}}},
        QueryCase{"JoinOfTwoTables",
                  "SELECT p.Code, t.Region FROM Products p JOIN Table2 t ON t.Sales = 7 WHERE p.Price < 0",
                  {{"C03", "East"}}},
        QueryCase{"TableWithoutRows", "SELECT dup FROM Table5", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueryColumns, FollowTheSourceColumnsAndTheFirstRow) {
  auto source = openCatalogue();
  auto reader = source->openQuery(
      "SELECT Added AS Day, Price, [In stock], Code, COUNT(*) AS N, AVG(Price) AS Mean, 'x' || Code AS Label "
      "FROM Products GROUP BY Code ORDER BY Code");
  const auto& columns = reader->columns();
  ASSERT_EQ(columns.size(), 7u);
  const std::vector<std::pair<std::string, int32_t>> expected{
      {"Day", adDate}, {"Price", adCurrency}, {"In stock", adBoolean}, {"Code", adVarWChar},
      {"N", adInteger}, {"Mean", adDouble}, {"Label", adVarWChar}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(columns[i].name, expected[i].first);
    EXPECT_EQ(columns[i].type, expected[i].second) << columns[i].name;
  }
  EXPECT_EQ(columns[3].size, 255);
  ASSERT_TRUE(reader->next());
  EXPECT_EQ(reader->field(0).kind, ValueKind::Date);
  EXPECT_EQ(reader->field(0).real, oleDateFromParts(2024, 2, 29));
  EXPECT_EQ(reader->field(1).kind, ValueKind::Currency);
  EXPECT_EQ(reader->field(1).currency, 125000);
  EXPECT_EQ(reader->field(2).kind, ValueKind::Boolean);
  EXPECT_TRUE(reader->field(2).boolean);
  EXPECT_EQ(reader->field(3).text, "A01");
  EXPECT_EQ(reader->field(4).integer, 1);
  EXPECT_EQ(reader->field(6).text, "xA01");
}

TEST(QuerySheetNames, BackQuotedBracketedAndWithoutTheDollar) {
  auto source = openHtmlText(
      "<table><caption>Sheet1$</caption><tr><th>A</th><th>B</th></tr>"
      "<tr><td>1</td><td>one</td></tr><tr><td>2</td><td>two</td></tr><tr><td>3</td><td>three</td></tr></table>",
      "sheet.html");
  const Rows expected{{"two", "2"}, {"three", "3"}};
  for (const char* sql : {"SELECT B, A FROM `SHEET1$` WHERE A > 1", "SELECT B, A FROM [Sheet1$] WHERE A > 1",
                          "SELECT B, A FROM sheet1 WHERE A > 1", "SELECT b, a FROM \"SHEET1$\" WHERE a > 1;"}) {
    auto reader = source->openQuery(sql);
    EXPECT_EQ(rowsOf(*reader), expected) << sql;
    EXPECT_EQ(reader->columns()[1].type, adDouble) << sql;
  }
}

struct FailureCase {
  const char* name;
  const char* sql;
  const char* says;
};

class QueryFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(QueryFailure, IsADataErrorSayingWhy) {
  auto source = openCatalogue();
  try {
    auto reader = source->openQuery(GetParam().sql);
    while (reader->next()) {
    }
    FAIL() << "the query ran";
  } catch (const DataError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find(GetParam().says), std::string::npos) << text;
    EXPECT_NE(text.find(GetParam().sql), std::string::npos) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Html, QueryFailure,
    ::testing::Values(FailureCase{"MissingTable", "SELECT * FROM Nowhere", "\"Nowhere\" does not exist"},
                      FailureCase{"MissingColumn", "SELECT Colour FROM Products", "no such column: Colour"},
                      FailureCase{"BadSyntax", "SELEC * FROM Products", "syntax error"},
                      FailureCase{"NotASelect", "DELETE FROM Products", "may not be modified"},
                      FailureCase{"TwoStatements", "SELECT 1; SELECT 2", "one statement"},
                      FailureCase{"Empty", "  ", "no statement"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kpx::data

namespace kpx::data {
namespace {

TEST(MemoryQuery, GroupsAndFiltersTextWithoutCase) {
  auto db = std::make_shared<MemoryDatabase>();
  MemoryTable& sales = db->addTable("Sales", {{"Region", adVarWChar, 20, adColNullable},
                                             {"Amount", adInteger, 0, adColNullable},
                                             {"Day", adDate, 0, adColNullable}});
  const std::vector<std::tuple<const char*, int64_t, int>> rows{
      {"north", 10, 1}, {"North", 5, 2}, {"SOUTH", 7, 3}, {"south", 1, 4}, {"\u00c9st", 2, 5}, {"\u00e9st", 3, 6}};
  for (const auto& [region, amount, day] : rows)
    sales.rows.push_back({StoredValue(Value::fromString(region)), StoredValue(Value::fromInt(amount)),
                          StoredValue(Value::fromDate(oleDateFromParts(2024, 3, day)))});
  MemoryDataSource source(db);
  auto grouped = runQueryOver(source, "SELECT COUNT(*), SUM(Amount), MAX(Day) FROM sales GROUP BY Region ORDER BY Region");
  EXPECT_EQ(rowsOf(*grouped), (Rows{{"2", "15", "2024-03-02"}, {"2", "8", "2024-03-04"}, {"2", "5", "2024-03-06"}}));
  auto filtered = runQueryOver(source, "SELECT Region, Amount, Day FROM SALES WHERE region = 'NORTH' ORDER BY Amount DESC");
  EXPECT_EQ(rowsOf(*filtered), (Rows{{"north", "10", "2024-03-01"}, {"North", "5", "2024-03-02"}}));
  EXPECT_EQ(filtered->columns()[1].type, adInteger);
  EXPECT_EQ(filtered->columns()[2].type, adDate);
}

// Exact numbers pass through a query with their digits: small and large decimals keep plain
// notation, currency keeps its four places also beyond what a double scaled by 10^4 holds.
TEST(MemoryQuery, DecimalsAndCurrencyKeepTheirDigits) {
  auto db = std::make_shared<MemoryDatabase>();
  MemoryTable& t = db->addTable("T", {{"D", adNumeric, 0, adColNullable}, {"C", adCurrency, 0, adColNullable}});
  const std::vector<std::pair<const char*, int64_t>> rows{
      {"0.0001", 10000}, {"250000000000000000000", 9876543210123456}, {"-12.5", -15}};
  for (const auto& [digits, scaled] : rows)
    t.rows.push_back({StoredValue(Value::fromDecimal(digits)), StoredValue(Value::fromCurrency(scaled))});
  MemoryDataSource source(db);
  auto reader = runQueryOver(source, "SELECT D, C FROM T WHERE D > 0 OR C < 0");
  EXPECT_EQ(rowsOf(*reader), (Rows{{"0.0001", "1"}, {"250000000000000000000", "987654321012.3456"},
                                   {"-12.5", "-0.0015"}}));
}

TEST(HtmlQuery, RunsThroughTheJetProviderAsOpenDatabaseCallsIt) {
  auto source = openDataSource(ConnectionProperties::parse(
      "Data Source=" + kCatalogue + ";Extended Properties=HTML Import;User ID=Provider=Microsoft.jet.OLEDB.4.0;"));
  EXPECT_EQ(source->tables().front().name, "Products");
  auto reader = source->openQuery("SELECT COUNT(*) FROM PRODUCTS WHERE [IN STOCK]");
  EXPECT_EQ(rowsOf(*reader), (Rows{{"2"}}));
}

// The same query over an Access file, once through mdbtools and our engine and once by the
// sqlite3 program over what mdb-export printed for that table.
TEST(AccessQuery, MatchesSqliteOverMdbExport) {
  const std::string shared = KPX_SHARED_TESTDATA;
  const std::string mdb = shared + "/access/jackcess__testV1997.mdb";
  const std::string csv = shared + "/expected/jackcess__testV1997.mdb.mdb-export.Table1.csv";
  if (!std::filesystem::exists(mdb) || !std::filesystem::exists(csv))
    GTEST_SKIP() << "the shared test data folder " << shared << " is not there";
  auto source = openDataSource(ConnectionProperties::parse("Data Source=" + mdb + ";Provider=Microsoft.Jet.OLEDB.4.0"));
  auto reader = source->openQuery("SELECT a, B, D FROM table1 WHERE b LIKE 'HIJ%' OR D = 0 ORDER BY A DESC");
  std::string ours;
  for (const auto& row : rowsOf(*reader)) ours += row[0] + "," + row[1] + "," + row[2] + "\n";
  int exitCode = -1;
  const std::string theirs = test::commandOutput(
      "sqlite3 -csv :memory: -cmd " + test::shellQuote(".import --csv " + csv + " t") +
          " \"SELECT A, B, CAST(D AS INTEGER) FROM t WHERE B LIKE 'HIJ%' OR CAST(D AS INTEGER) = 0 ORDER BY A DESC\"",
      &exitCode);
  ASSERT_EQ(exitCode, 0);
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(ours.empty(), false);
  EXPECT_EQ(reader->columns()[2].type, source->columns("Table1")[3].type);
}

}  // namespace
}  // namespace kpx::data

namespace kpx::data {
namespace {

// A query over an .xls sheet, checked against the sqlite3 program running it over
// LibreOffice's CSV of the same sheet (both take the first row as the column names; of the
// two columns named "1", sqlite3 calls the first "1_1" where the query engine keeps "1").
TEST(ExcelQuery, MatchesSqliteOverLibreOfficeCsv) {
  const std::string shared = KPX_SHARED_TESTDATA;
  const std::string xls = shared + "/excel/edr__Test_num_double_date_bool_string.xls";
  const std::string csv = shared + "/expected/edr__Test_num_double_date_bool_string.xls.lo.Sheet1.csv";
  if (!std::filesystem::exists(xls) || !std::filesystem::exists(csv))
    GTEST_SKIP() << "the shared test data folder " << shared << " is not there";
  auto source = openDataSource(ConnectionProperties::parse(
      "Persist Security Info=False;Data Source=" + xls + ";Extended Properties=Excel 8.0Provider=Microsoft.jet.OLEDB.4.0;"));
  auto reader = source->openQuery(
      "SELECT COUNT(*), SUM(`1`), MAX(`1.02`) FROM `SHEET1$` WHERE `1.02` > 10 AND [next value is null] IS NULL");
  std::string ours;
  for (const auto& row : rowsOf(*reader)) ours += row[0] + "," + row[1] + "," + row[2] + "\n";
  int exitCode = -1;
  const std::string theirs = test::commandOutput(
      "sqlite3 -csv :memory: -cmd " + test::shellQuote(".import --csv " + csv + " t") +
          " \"SELECT COUNT(*), printf('%.15g', SUM(CAST(\\\"1_1\\\" AS REAL))),"
          " printf('%.15g', MAX(CAST(\\\"1.02\\\" AS REAL))) FROM t"
          " WHERE CAST(\\\"1.02\\\" AS REAL) > 10 AND \\\"next value is null\\\" = ''\"",
      &exitCode);
  ASSERT_EQ(exitCode, 0);
  EXPECT_EQ(ours, theirs);
}

}  // namespace
}  // namespace kpx::data

namespace kpx::data {
namespace {

TEST(TextQuery, FiltersGroupsAndOrdersADelimitedFile) {
  std::string file = (std::filesystem::temp_directory_path() /
                      ("kpx_query_" + std::to_string(::getpid()) + ".csv")).string();
  {
    std::ofstream out(file, std::ios::binary);
    out << "City,Amount\r\nRoma,10\r\nmilano,5\r\nROMA,7\r\nPisa,1\r\n";
  }
  auto source = openDataSource(ConnectionProperties::parse(
      "Data Source=" + file + ";Mode=1;Row Delimiter='\r\n';File Format=1;Column Delimiter=',';"
      "File Type=1; Skip Rows=0;First Row Column Name=True Provider=DTSFlatFile.1;"));
  std::string table = std::filesystem::path(file).filename().string();
  auto reader = source->openQuery("SELECT UPPER(CITY), SUM(AMOUNT) FROM [" + table +
                                  "] WHERE CITY <> 'pisa' GROUP BY UPPER(CITY) ORDER BY 2 DESC");
  EXPECT_EQ(rowsOf(*reader), (Rows{{"ROMA", "17"}, {"MILANO", "5"}}));
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace kpx::data
