// HTML pages read and queried as Jet reads them, and queries over Access files and workbooks
// checked by the sqlite3 program over what mdb-export and LibreOffice print for them.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/providers/html/cell_types.h"
#include "data/providers/html/html_source.h"
#include "data/providers/memory/memory_provider.h"
#include "data/query/query_engine.h"
#include "support/command_output.h"
#include "support/data_error.h"
#include "support/rows_as_text.h"

namespace kpx::data {
namespace {

const std::string kCatalogue = std::string(KPX_TEST_DATA) + "/html/catalogue.html";
const std::string kTypes = std::string(KPX_TEST_DATA) + "/html/types.html";

std::unique_ptr<DataSource> openPage(const std::string& path) {
  return openHtmlSource(ConnectionProperties::parse("Data Source=" + path +
                                                    ";Extended Properties=HTML Import;User ID="));
}

const auto rowsOf = [](RowReader& reader) { return test::readRowsAsText(reader); };
// The rows with the kind of every value that is not text ("c:12.5", "t:2024-02-29").
const auto kindsAndRowsOf = [](RowReader& reader) { return test::readRowsAsText(reader, true); };

std::vector<std::string> namesOf(const std::vector<ColumnInfo>& columns) {
  std::vector<std::string> names;
  for (const auto& c : columns) names.push_back(c.name);
  return names;
}

using Rows = std::vector<std::vector<std::string>>;

struct QueryCase {
  const char* name;
  const char* sql;
  Rows rows;
};

class HtmlQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(HtmlQuery, GivesTheRowsJetGives) {
  auto source = openPage(kCatalogue);
  auto reader = source->openQuery(GetParam().sql);
  EXPECT_EQ(rowsOf(*reader), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlQuery,
    ::testing::Values(
        QueryCase{"WhereAndOrderIgnoreCase",
                  "SELECT Code, Price FROM Products WHERE Price > 0 ORDER BY Code",
                  {{"A01", "12.5"}, {"b02", "3"}}},
        QueryCase{"AccentedTextComparesWithoutCase",
                  "SELECT Code FROM Products WHERE Name = 'CAF\u00c9 & CR\u00c8ME'",
                  {{"A01"}}},
        QueryCase{"GroupBy",
                  "SELECT Region, SUM(Sales) AS Total, COUNT(*) AS N FROM Table2 GROUP BY Region "
                  "ORDER BY Region DESC",
                  // The rowspan's second row shows no region, as a browser shows it.
                  {{"South total", "-20", "1"},
                   {"North", "100", "1"},
                   {"East", "7", "1"},
                   {"<null>", "150.5", "1"}}},
        QueryCase{"DatesCompareWithIsoText",
                  "SELECT Code, Added FROM Products WHERE Added >= '2024-01-01' ORDER BY Added",
                  {{"C03", "2024-01-15 17:45:10"}, {"A01", "2024-02-29"}}},
        QueryCase{
            "NullsAndEmptyHeaderName", "SELECT Code FROM Products WHERE F6 IS NULL", {{"b02"}}},
        QueryCase{"JoinOfTwoTables",
                  "SELECT p.Code, t.Region FROM Products p JOIN Table2 t ON t.Sales = 7 WHERE "
                  "p.Price < 0",
                  {{"C03", "East"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  const char* sql;
  const char* says;
};

class QueryFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(QueryFailure, IsADataErrorSayingWhy) {
  const std::string text = test::dataErrorOf([this] {
    auto reader = openPage(kCatalogue)->openQuery(GetParam().sql);
    while (reader->next()) {
    }
  });
  EXPECT_NE(text.find(GetParam().says), std::string::npos) << text;
  EXPECT_NE(text.find(GetParam().sql), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Html, QueryFailure,
    ::testing::Values(
        FailureCase{"MissingTable", "SELECT * FROM Nowhere", "\"Nowhere\" does not exist"},
        FailureCase{"MissingColumn", "SELECT Colour FROM Products", "no such column: Colour"},
        FailureCase{"NotASelect", "DELETE FROM Products", "may not be modified"},
        FailureCase{"TwoStatements", "SELECT 1; SELECT 2", "one statement"}),
    [](const auto& info) { return std::string(info.param.name); });

// The same query over an Access file, once through mdbtools and our engine and once by the
// sqlite3 program over what mdb-export printed for that table.
TEST(AccessQuery, MatchesSqliteOverMdbExport) {
  const std::string shared = KPX_SHARED_TESTDATA;
  const std::string mdb = shared + "/access/jackcess__testV1997.mdb";
  const std::string csv = shared + "/expected/jackcess__testV1997.mdb.mdb-export.Table1.csv";
  if (!std::filesystem::exists(mdb) || !std::filesystem::exists(csv))
    GTEST_SKIP() << "the shared test data folder " << shared << " is not there";
  auto source = openDataSource(
      ConnectionProperties::parse("Data Source=" + mdb + ";Provider=Microsoft.Jet.OLEDB.4.0"));
  auto reader =
      source->openQuery("SELECT a, B, D FROM table1 WHERE b LIKE 'HIJ%' OR D = 0 ORDER BY A DESC");
  std::string ours;
  for (const auto& row : rowsOf(*reader)) ours += row[0] + "," + row[1] + "," + row[2] + "\n";
  int exitCode = -1;
  const std::string theirs = test::commandOutput(
      "sqlite3 -csv :memory: -cmd " + test::shellQuote(".import --csv " + csv + " t") +
          " \"SELECT A, B, CAST(D AS INTEGER) FROM t WHERE B LIKE 'HIJ%' OR CAST(D AS INTEGER) = 0 "
          "ORDER BY A DESC\"",
      &exitCode);
  ASSERT_EQ(exitCode, 0);
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(ours.empty(), false);
  EXPECT_EQ(reader->columns()[2].type, source->columns("Table1")[3].type);
}

// A query over an .xls sheet, checked against the sqlite3 program running it over
// LibreOffice's CSV of the same sheet (both take the first row as the column names; of the
// two columns named "1", sqlite3 calls the first "1_1" where the query engine keeps "1").
TEST(ExcelQuery, MatchesSqliteOverLibreOfficeCsv) {
  const std::string shared = KPX_SHARED_TESTDATA;
  const std::string xls = shared + "/excel/edr__Test_num_double_date_bool_string.xls";
  const std::string csv =
      shared + "/expected/edr__Test_num_double_date_bool_string.xls.lo.Sheet1.csv";
  if (!std::filesystem::exists(xls) || !std::filesystem::exists(csv))
    GTEST_SKIP() << "the shared test data folder " << shared << " is not there";
  auto source = openDataSource(ConnectionProperties::parse(
      "Persist Security Info=False;Data Source=" + xls +
      ";Extended Properties=Excel 8.0Provider=Microsoft.jet.OLEDB.4.0;"));
  auto reader = source->openQuery(
      "SELECT COUNT(*), SUM(`1`), MAX(`1.02`) FROM `SHEET1$` WHERE `1.02` > 10 AND [next value is "
      "null] IS NULL");
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

TEST(HtmlSource, ProductsReadBackValueByValue) {
  auto source = openPage(kCatalogue);
  const auto columns = source->columns("PRODUCTS");
  EXPECT_EQ(namesOf(columns),
            (std::vector<std::string>{"Code", "Name", "Price", "Added", "In stock", "F6"}));
  const std::vector<int32_t> types{adVarWChar, adVarWChar, adCurrency,
                                   adDate,     adBoolean,  adVarWChar};
  for (size_t i = 0; i < columns.size(); ++i)
    EXPECT_EQ(columns[i].type, types[i]) << columns[i].name;
  EXPECT_EQ(columns[0].size, 255);
  auto reader = source->openTable("products");
  const std::vector<std::vector<std::string>> expected{
      {"A01", "Caf\u00e9 & cr\u00e8me", "c:12.5", "t:2024-02-29", "b:1", "x"},
      {"b02", "Tea green", "c:3", "t:2023-12-31 08:30:00", "b:0", "<null>"},
      {"C03", "Line one\nLine two", "c:-1.25", "t:2024-01-15 17:45:10", "b:1", "y"},
      {"Z99", "Total", "c:0", "<null>", "<null>", "footer"}};  // the footer comes last
  EXPECT_EQ(kindsAndRowsOf(*reader), expected);
}

TEST(HtmlSource, ConvertsOnlyWhatEveryRowAgreesOn) {
  auto source = openPage(kTypes);
  const auto columns = source->columns("Table1");
  EXPECT_EQ(namesOf(columns), (std::vector<std::string>{"Plain", "Thousands", "Zip", "Mixed",
                                                        "Long", "Empty", "Euro", "Big"}));
  const std::vector<std::pair<int32_t, int32_t>> typeAndSize{{adDouble, 0},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255},
                                                             {adLongVarWChar, html::kLongTextSize},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255}};
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(columns[i].type, typeAndSize[i].first) << columns[i].name;
    EXPECT_EQ(columns[i].size, typeAndSize[i].second) << columns[i].name;
  }
  const auto rows = kindsAndRowsOf(*source->openTable("table1"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0],
            (std::vector<std::string>{"d:1", "1,234.5", "01234", "5", std::string(300, 'L'),
                                      "<null>", "12,50 \u20ac", "1234567890123456"}));
  EXPECT_EQ(rows[2][0], "d:3");
  EXPECT_EQ(rows[2][3], "2024-01-01");
}

class HtmlEncoding : public ::testing::TestWithParam<const char*> {};

TEST_P(HtmlEncoding, PagesNotInUtf8ReadTheSame) {
  auto source = openPage(std::string(KPX_TEST_DATA) + "/html/" + GetParam());
  ASSERT_EQ(source->tables().size(), 1u);
  EXPECT_EQ(source->tables()[0].name, "Citt\u00e0");
  EXPECT_EQ(kindsAndRowsOf(*source->openTable("CITT\u00c0")),
            (std::vector<std::vector<std::string>>{{"Caff\u00e8 \u20ac", "d:1.5"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlEncoding, ::testing::Values("windows1252.html", "utf16le.html"),
    [](const auto& info) {
      return std::string(info.param).substr(0, std::string(info.param).find('.'));
    });

}  // namespace
}  // namespace kpx::data
