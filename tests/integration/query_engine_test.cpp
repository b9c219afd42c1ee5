#include <gtest/gtest.h>

#include "data/providers/html/html_source.h"
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
