#include <gtest/gtest.h>

#include "data/providers/html/cell_types.h"
#include "data/providers/html/html_tables.h"

namespace kpx::data::html {
namespace {

using Row = std::vector<std::optional<std::string>>;

std::vector<Row> rowsOf(const std::string& tableBody) {
  auto tables = parseHtmlTables("<table>" + tableBody + "</table>");
  if (tables.size() != 1) ADD_FAILURE() << "expected one table, got " << tables.size();
  return tables.empty() ? std::vector<Row>{} : tables.front().rows;
}

struct CellTextCase {
  const char* name;
  const char* html;
  const char* text;
};

class CellText : public ::testing::TestWithParam<CellTextCase> {};

TEST_P(CellText, ReadsAsABrowserShowsIt) {
  const auto rows = rowsOf(std::string("<tr><td>") + GetParam().html + "</td></tr>");
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), 1u);
  if (*GetParam().text == '\0') {
    EXPECT_FALSE(rows[0][0].has_value()) << *rows[0][0];
  } else {
    EXPECT_EQ(rows[0][0].value_or("<null>"), GetParam().text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Html, CellText,
    ::testing::Values(
        CellTextCase{"Entities", "Caf&eacute; &amp; &lt;b&gt; &#8364;&#x41;",
                     "Caf\u00e9 & <b> \u20acA"},
        CellTextCase{"BlanksCollapse", "  a \t\n  b  ", "a b"},
        CellTextCase{"NonBreakingSpaceIsABlank", "a&nbsp;&nbsp;b&nbsp;", "a b"},
        CellTextCase{"BreakIsALineFeed", "one <br> two<br/>three", "one\ntwo\nthree"},
        CellTextCase{"TwoBreaksKeepAnEmptyLineATrailingOneIsDropped", "a<br><br>b<br>", "a\n\nb"},
        CellTextCase{"InlineMarkupIsPlainText",
                     "<b>bold</b> and <a href='x'>link</a><span>ed</span>", "bold and linked"},
        CellTextCase{"ParagraphsOnLinesOfTheirOwn", "<p>first</p><p>second</p>tail",
                     "first\nsecond\ntail"},
        CellTextCase{"PreformattedKept", "<pre>a  b\n c</pre>", "a  b\n c"},
        CellTextCase{"ScriptsAndCommentsDropped",
                     "a<script>var x=1;</script><!-- no -->b<style>p{}</style>", "ab"},
        CellTextCase{"EmptyCellIsNull", "   ", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HtmlSpans, RowspanStopsAtTheLastRowAndZeroMeansToTheEnd) {
  const auto rows = rowsOf(
      "<tr><td rowspan=0>z</td><td rowspan=99>r</td><td>1</td></tr>"
      "<tr><td>2</td></tr><tr><td>3</td></tr>");
  const std::vector<Row> expected{{"z", "r", "1"}, {{}, {}, "2"}, {{}, {}, "3"}};
  EXPECT_EQ(rows, expected);
}

// Header rows: those of <thead> and the leading rows of <th> cells only, else the first row.
TEST(HtmlNames, HeaderRowsNameTheColumns) {
  auto namesOf = [](const std::string& body) {
    auto tables = parseHtmlTables("<table>" + body + "</table>");
    return std::make_pair(tables.at(0).headerRows, tables.at(0).names);
  };
  using Names = std::vector<std::optional<std::string>>;
  EXPECT_EQ(namesOf("<tr><th rowspan=2>Id</th><th colspan=2>Score</th><th colspan=2>Total</th>"
                    "</tr><tr><th>Math</th><th>Art</th></tr><tr><td>1</td></tr>"),
            std::make_pair(size_t{2}, Names{"Id", "Score Math", "Score Art", "Total", {}}));
  EXPECT_EQ(namesOf("<thead><tr><td>a</td></tr></thead><tr><th>b</th></tr><tr><td>1</td></tr>"),
            std::make_pair(size_t{2}, Names{"a b"}));
  EXPECT_EQ(namesOf("<tr><td>a</td><th>b</th></tr><tr><th>c</th><th>d</th></tr>"),
            std::make_pair(size_t{1}, Names{"a", "b"}));
}

TEST(HtmlNames, CaptionOrPositionAndNestedTablesFollowTheirParent) {
  const auto tables = parseHtmlTables(
      "<table><caption> Sales <b>2024</b></caption><tr><td>a</td></tr></table>"
      "<table><tr><td>x<table><tr><td>in</td></tr></table>y</td></tr></table>"
      "<table></table>"
      "<table><caption>SALES 2024</caption><tr><td>dup</td></tr></table>"
      "<table><caption>Table6</caption><tr><td>t</td></tr></table>"
      "<table><tr><td>last</td></tr></table>");
  std::vector<std::string> names;
  for (const auto& t : tables) names.push_back(t.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Sales 2024", "Table2", "Table3", "Table5", "Table6",
                                             "Table7"}));
  EXPECT_EQ(tables[1].rows, (std::vector<Row>{{"x\ny"}}));  // the nested table is not in the cell
  EXPECT_EQ(tables[2].rows, (std::vector<Row>{{"in"}}));
}

struct ClassifyCase {
  const char* text;
  CellType type;
};

class CellClassification : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(CellClassification, OnlyUnambiguousFormsConvert) {
  EXPECT_EQ(classifyCell(GetParam().text), GetParam().type) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Html, CellClassification,
    ::testing::Values(
        ClassifyCase{"0", CellType::Number}, ClassifyCase{"+3.25", CellType::Number},
        ClassifyCase{"123456789012345", CellType::Number},
        ClassifyCase{"1234567890123456", CellType::Text},  // a double would change it
        ClassifyCase{"01234", CellType::Text}, ClassifyCase{"1,234.5", CellType::Text},
        ClassifyCase{"1e5", CellType::Text}, ClassifyCase{".5", CellType::Text},
        ClassifyCase{"5.", CellType::Text}, ClassifyCase{"-", CellType::Text},
        ClassifyCase{"$12.50", CellType::Currency}, ClassifyCase{"-$3", CellType::Currency},
        ClassifyCase{"$ -1.25", CellType::Currency},
        ClassifyCase{"12.5 \u20ac", CellType::Currency},
        ClassifyCase{"\u00a37", CellType::Currency}, ClassifyCase{"$1.23456", CellType::Text},
        ClassifyCase{"-$-3", CellType::Text}, ClassifyCase{"$", CellType::Text},
        ClassifyCase{"2024-02-29", CellType::Date}, ClassifyCase{"2023-02-29", CellType::Text},
        ClassifyCase{"1900-02-29", CellType::Text}, ClassifyCase{"2000-02-29", CellType::Date},
        ClassifyCase{"2100-02-29", CellType::Text},
        ClassifyCase{"2024-01-15T17:45:10", CellType::Date},
        ClassifyCase{"2024-13-01", CellType::Text},
        ClassifyCase{"2024-01-01 24:00", CellType::Text},
        ClassifyCase{"31/12/2024", CellType::Text}, ClassifyCase{"True", CellType::Boolean},
        ClassifyCase{"FALSE", CellType::Boolean}, ClassifyCase{"yes", CellType::Text},
        ClassifyCase{"-1", CellType::Number}));

}  // namespace
}  // namespace kpx::data::html
