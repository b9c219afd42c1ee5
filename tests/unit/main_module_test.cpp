// The main module's routines: a query's table, select list and clause flag with the text an
// Excel source is queried by; the preview of a text file's first lines, delimiters by name or
// code, digits-only fields and a table named after its file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "data/mod_main.h"
#include "kpxwizard/automation_error.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"
#include "support/scratch.h"

using namespace kpx;
using Fields = std::vector<std::string>;
using Rows = std::array<std::string, 5>;
namespace fs = std::filesystem;

namespace {

// A current wizard (for the error report's title), a fresh module state and a scratch folder.
class MainModule : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    modMain::resetState();
  }
  void TearDown() override { wizard->CloseWizard(); }
  std::shared_ptr<cKPXWizard> wizard;
  test::ScratchFolder scratch;
};

// What a failed analysis must leave untouched.
const Fields kPreviousFields = {"<previous>"};
const std::string kPreviousQuerySpace = "<previous>";

struct QueryCase {
  const char* name;
  const char* query;
  const char* table;       // ExtractNameFields' answer
  Fields fields;           // colSelectedFields afterwards
  bool clausesBefore;      // bQueryHasClauses before the analysis
  bool clausesAfter;       // and after it
  const char* excelQuery;  // strQuerySpace after BuildQuerySpace for an Excel source;
                           // nullptr when there is no table to rewrite for
};

class QueryAnalysis : public MainModule, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(QueryAnalysis, TableSelectListClauseFlagAndExcelText) {
  const QueryCase& c = GetParam();
  test::ScopedRecordingSink sink;
  auto& st = modMain::state();
  st.colSelectedFields = kPreviousFields;
  st.bQueryHasClauses = c.clausesBefore;
  st.strQuerySpace = kPreviousQuerySpace;

  std::string table = modMain::ExtractNameFields(c.query);
  EXPECT_EQ(table, c.table);
  EXPECT_EQ(st.colSelectedFields, c.fields);
  EXPECT_EQ(st.bQueryHasClauses, c.clausesAfter);

  if (c.excelQuery) {
    modMain::BuildQuerySpace(c.query, table, CONN_EXCEL);
    EXPECT_EQ(st.strQuerySpace, c.excelQuery);
    // Only a failed look-behind reports an error.
    EXPECT_EQ(sink->boxes.size(), st.strQuerySpace == kPreviousQuerySpace ? 1u : 0u);
  } else {
    EXPECT_TRUE(sink->boxes.empty());
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Queries, QueryAnalysis, ::testing::Values(
    QueryCase{"SelectStar", "SELECT * FROM Customers", "CUSTOMERS", {"*"}, true, false,
              "SELECT * FROM `CUSTOMERS`"},
    QueryCase{"BracketedSheetWithWhere", "SELECT b, a FROM [Sheet1$] WHERE a > 1", "SHEET1$",
              {"A", "B"}, false, true, "SELECT B, A FROM `SHEET1$` WHERE A > 1"},
    QueryCase{"EarliestClauseKeywordCuts", "SELECT a FROM t ORDER BY a WHERE", "T", {"A"}, false,
              true, "SELEC`T` A FROM `T` ORDER BY A WHERE"},
    QueryCase{"GroupByWithAggregate", "SELECT a, COUNT(*) FROM t GROUP BY a", "T",
              {"A", "COUNT(*)"}, false, true, "SELEC`T` A, COUN`T`(*) FROM `T` GROUP BY A"},
    QueryCase{"ShortFormKeepsListWhole", "SELECT a,b FROM t", "T", {"A", "B"}, true, false,
              "SELEC`T` A,B FROM `T`"},
    QueryCase{"LongFormWithoutClauseKeepsFlag", "SELECT a, b FROM t", "T", {"A", "B"}, true, true,
              "SELEC`T` A, B FROM `T`"},
    QueryCase{"FourWordsUseTheLastWord", "SELECT datefrom FROM t", "T", {"DATEFROM"}, true, false,
              "SELEC`T` DA`T`EFROM FROM `T`"},
    QueryCase{"FromInsideColumnNameFoundFirst", "SELECT datefrom, id FROM t", ", ID FROM T",
              {"DATEFROM", "ID"}, false, false, "SELECT DATEFROM`, ID FROM T`"},
    QueryCase{"WhereInsideTableName", "SELECT a, b FROM somewhere", "SOME", {"A", "B"}, false,
              true, "SELECT A, B FROM `SOME`WHERE"},
    QueryCase{"ThreeWords", "SELECT a FROM", "", kPreviousFields, true, true, nullptr},
    QueryCase{"NoFromWord", "SELECT a, b, c INTO x", "", kPreviousFields, false, false, nullptr},
    QueryCase{"LastSelectAfterLastFrom", "SELECT a FROM t UNION SELECT", "", kPreviousFields,
              false, false, nullptr},
    QueryCase{"BracketedNamesWithBlanks", "SELECT [Last Name], Age FROM [My Table]", "MY TABLE",
              {"AGE", "LAST NAME"}, false, false, "SELECT `LAST NAME`, AGE FROM `MY TABLE`"},
    QueryCase{"SubqueryTakesTheLastSelect", "SELECT a FROM tab WHERE a IN ( SELECT b FROM u )",
              "TAB", {"B"}, false, true, "SELECT A FROM `TAB` WHERE A IN ( SELECT B FROM U )"},
    QueryCase{"ParenthesisedSelectIsNoWord", "SELECT a FROM (SELECT b FROM t) x",
              "(SELECT B FROM T) X", {"A FROM (SELECT B"}, false, false,
              "SELECT A FROM `(SELECT B FROM T) X`"},
    QueryCase{"UnclosedBracket", "SELECT a FROM [t", "[T", {"A"}, false, false,
              "<previous>"}),
    [](const ::testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.name); });
// clang-format on

struct PreviewCase {
  const char* name;
  std::string bytes;
  const char* delimiter;
  int16_t flag;
  int16_t result;
  Rows rows;  // after ClearPreview and CreatePreview
};

class Preview : public MainModule, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(Preview, RowsAndResult) {
  const PreviewCase& c = GetParam();
  fs::path path = scratch.write(std::string(c.name) + ".txt", c.bytes);
  modMain::ClearPreview();
  EXPECT_EQ(modMain::CreatePreview(path.string(), c.delimiter, c.flag), c.result);
  EXPECT_EQ(modMain::state().arrPreviewRows, c.rows);
}

const std::string kSevenLines = "1\n2\n3\n4\n5\n6\n7\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, Preview, ::testing::Values(
    PreviewCase{"CrLfFile", "h1,h2\r\na,b\r\nc,d\r\n", "{CR}{LF}", 0, 1, {"h1,h2", "a,b", "c,d", "", ""}},
    PreviewCase{"CrLfFileWithHeader", "h1,h2\r\na,b\r\nc,d\r\n", "{CR}{LF}", -1, 1, {"a,b", "c,d", "", "", ""}},
    PreviewCase{"LfFileReadByLines", "h\na\nb\n", "{CR}{LF}", 0, 1, {"h", "a", "b", "", ""}},
    PreviewCase{"LfSplitsJoinedText", "h\na\nb\n", "{LF}", 0, 1, {"h\r", "a\r", "b", "", ""}},
    PreviewCase{"AtMostFiveLinesRead", kSevenLines, "{CR}{LF}", 0, 1, {"1", "2", "3", "4", "5"}},
    PreviewCase{"FlagTwoSkipsTwoPieces", kSevenLines, "6", 2, 1, {"3\r", "4\r", "5", "", ""}},
    PreviewCase{"CommaRows", "a,b,c\nd,e\n", "Virgola", 0, 1, {"a", "b", "c\r\nd", "e", ""}},
    PreviewCase{"DelimiterMissing", "a,b\nc,d\n", "2", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"EmptyFile", "", "{CR}{LF}", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"Utf8WithBom", "\xEF\xBB\xBF" "città\r\nperché\r\n", "{CR}{LF}", 0, 1, {"città", "perché", "", "", ""}},
    PreviewCase{"Utf16LittleEndian", std::string("\xFF\xFE" "a\0\xFC\0\r\0\n\0b\0\n\0c\0", 16), "{CR}{LF}", 0, 1, {"aü", "b", "c", "", ""}}),
    [](const ::testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });
// clang-format on

using PreviewFile = MainModule;

TEST_F(PreviewFile, MissingFileIsError53NamingTheFile) {
  const std::string path = "/nonexistent-kpx-dir/orders.txt";
  try {
    modMain::CreatePreview(path, "{CR}{LF}", 0);
    FAIL() << "no error for a missing file";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_NE(e.description().find(path), std::string::npos);
  }
}

TEST_F(PreviewFile, HugeFileReadsOnlyItsFirstLines) {
  // 64 GiB, almost all of it a hole: reading past the first lines would never finish.
  fs::path path = scratch.write("huge.txt", "h1;h2\r\n1;2\r\n3;4\r\n5;6\r\n7;8\r\n9;10\r\n");
  fs::resize_file(path, uint64_t{64} << 30);
  EXPECT_EQ(modMain::CreatePreview(path.string(), "{CR}{LF}", -1), 1);
  EXPECT_EQ(modMain::state().arrPreviewRows, (Rows{"1;2", "3;4", "5;6", "7;8", ""}));
  fs::remove(path);
}

struct DelimiterCase {
  const char* value;
  const char* characters;
};

class DelimiterLookup : public ::testing::TestWithParam<DelimiterCase> {};

TEST_P(DelimiterLookup, ByNameOrCode) {
  EXPECT_EQ(modMain::DelimiterText(GetParam().value), GetParam().characters);
}

INSTANTIATE_TEST_SUITE_P(
    Delimiters, DelimiterLookup,
    // Names are matched exactly; codes run from 0 to 6.
    ::testing::Values(DelimiterCase{"{CR}{LF}", "\r\n"}, DelimiterCase{"0", "\r\n"},
                      DelimiterCase{"Punto e Virgola", ";"}, DelimiterCase{"3", "\t"},
                      DelimiterCase{"6", "\n"}, DelimiterCase{"Punto e virgola", ""},
                      DelimiterCase{"7", ""}, DelimiterCase{"-1", ""}, DelimiterCase{"3x", ""}));

using Lookups = MainModule;

TEST_F(Lookups, IsDigitsOnly) {
  EXPECT_TRUE(modMain::IsDigitsOnly(""));
  EXPECT_TRUE(modMain::IsDigitsOnly("0123456789"));
  EXPECT_FALSE(modMain::IsDigitsOnly("-1"));
  EXPECT_FALSE(modMain::IsDigitsOnly("١٢"));  // Arabic-Indic digits sort above "9"
}

TEST_F(Lookups, TakeNameTableStripsFoldersAndExtension) {
  EXPECT_EQ(modMain::TakeNameTable("C:\\data\\Orders.2024.txt"), "Orders");
  EXPECT_EQ(modMain::TakeNameTable("mixed/dir\\città.txt"), "città");
  EXPECT_EQ(modMain::TakeNameTable(".hidden"), "");
}

TEST_F(Lookups, TakeNameTableReportsANameWithoutExtension) {
  test::ScopedRecordingSink sink;
  EXPECT_EQ(modMain::TakeNameTable("/data.d/README"), "");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : TakeNameTable [modMain] "), std::string::npos);
}

}  // namespace
