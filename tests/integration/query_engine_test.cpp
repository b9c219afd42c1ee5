// HTML pages read and queried as Jet reads them, and queries over Access files and workbooks
// checked by the sqlite3 program over what mdb-export and LibreOffice print for them.
#include <gtest/gtest.h>

#include <filesystem>

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

// "Name:type/size" for each column, each followed by a blank.
std::string describe(const std::vector<ColumnInfo>& columns) {
  std::string out;
  for (const auto& c : columns)
    out += c.name + ":" + std::to_string(c.type) + "/" + std::to_string(c.size) + " ";
  return out;
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
    ::testing::Values(FailureCase{"MissingTable", "SELECT * FROM Nowhere",
                                  "\"Nowhere\" does not exist"},
                      FailureCase{"NotASelect", "DELETE FROM Products", "may not be modified"},
                      FailureCase{"TwoStatements", "SELECT 1; SELECT 2", "one statement"}),
    [](const auto& info) { return std::string(info.param.name); });

// A query over an Access file or an .xls sheet, checked against the sqlite3 program running
// it over what mdb-export or LibreOffice printed for that table (both take the first row as
// the column names; of the sheet's two columns named "1", sqlite3 calls the first "1_1" where
// the query engine keeps "1").
struct ReferenceQuery {
  const char* name;
  const char* file;      // of the shared test data
  const char* extended;  // the connection's Extended Properties
  const char* csv;       // its table as the other program printed it
  const char* ours;
  const char* theirs;  // over table t of that CSV file
  int32_t thirdType;   // of the query's third column
};

class SharedFileQuery : public ::testing::TestWithParam<ReferenceQuery> {};

TEST_P(SharedFileQuery, MatchesSqliteOverTheOtherProgramsCsv) {
  const std::string file = std::string(KPX_SHARED_TESTDATA) + GetParam().file;
  const std::string csv = std::string(KPX_SHARED_TESTDATA) + "/expected/" + GetParam().csv;
  if (!std::filesystem::exists(file) || !std::filesystem::exists(csv))
    GTEST_SKIP() << "the shared test data folder " << KPX_SHARED_TESTDATA << " is not there";
  auto reader = openDataSource(ConnectionProperties::parse(
                                   "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file +
                                   ";Extended Properties=" + GetParam().extended))
                    ->openQuery(GetParam().ours);
  std::string ours;
  for (const auto& row : rowsOf(*reader)) ours += row[0] + "," + row[1] + "," + row[2] + "\n";
  int exitCode = -1;
  const std::string theirs = test::commandOutput(
      "sqlite3 -csv :memory: -cmd " + test::shellQuote(".import --csv " + csv + " t") + " " +
          test::shellQuote(GetParam().theirs),
      &exitCode);
  ASSERT_EQ(exitCode, 0);
  EXPECT_FALSE(ours.empty());
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(reader->columns()[2].type, GetParam().thirdType);
}

INSTANTIATE_TEST_SUITE_P(
    Shared, SharedFileQuery,
    ::testing::Values(
        ReferenceQuery{"Access", "/access/jackcess__testV1997.mdb", "",
                       "jackcess__testV1997.mdb.mdb-export.Table1.csv",
                       "SELECT a, B, D FROM table1 WHERE b LIKE 'HIJ%' OR D = 0 ORDER BY A DESC",
                       "SELECT A, B, CAST(D AS INTEGER) FROM t WHERE B LIKE 'HIJ%' OR "
                       "CAST(D AS INTEGER) = 0 ORDER BY A DESC",
                       adSmallInt},
        ReferenceQuery{"Xls", "/excel/edr__Test_num_double_date_bool_string.xls", "Excel 8.0",
                       "edr__Test_num_double_date_bool_string.xls.lo.Sheet1.csv",
                       "SELECT COUNT(*), SUM(`1`), MAX(`1.02`) FROM `SHEET1$` WHERE `1.02` > 10 "
                       "AND [next value is null] IS NULL",
                       "SELECT COUNT(*), printf('%.15g', SUM(CAST(\"1_1\" AS REAL))), "
                       "printf('%.15g', MAX(CAST(\"1.02\" AS REAL))) FROM t WHERE "
                       "CAST(\"1.02\" AS REAL) > 10 AND \"next value is null\" = ''",
                       adDouble}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HtmlSource, ProductsReadBackValueByValue) {
  auto source = openPage(kCatalogue);
  EXPECT_EQ(describe(source->columns("PRODUCTS")),
            "Code:202/255 Name:202/255 Price:6/0 Added:7/0 In stock:11/0 F6:202/255 ");
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
  EXPECT_EQ(describe(source->columns("Table1")),
            "Plain:5/0 Thousands:202/255 Zip:202/255 Mixed:202/255 Long:203/536870910 "
            "Empty:202/255 Euro:202/255 Big:202/255 ");
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
