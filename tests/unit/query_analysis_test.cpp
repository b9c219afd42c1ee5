#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/mod_main.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;
using Fields = std::vector<std::string>;

namespace {

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

// A current wizard (for the error report's title) and a fresh module state.
class QueryModule : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    modMain::resetState();
  }
  void TearDown() override { wizard->CloseWizard(); }
  std::shared_ptr<cKPXWizard> wizard;
};

class QueryAnalysis : public QueryModule, public ::testing::WithParamInterface<QueryCase> {};

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
    QueryCase{"SurroundingBlanksTrimmed", "   SELECT * FROM t   ", "T", {"*"}, false, false,
              "   SELEC`T` * FROM `T`   "},
    QueryCase{"BracketedNamesWithBlanks", "SELECT [Last Name], Age FROM [My Table]", "MY TABLE",
              {"AGE", "LAST NAME"}, false, false, "SELECT `LAST NAME`, AGE FROM `MY TABLE`"},
    QueryCase{"SubqueryTakesTheLastSelect", "SELECT a FROM tab WHERE a IN ( SELECT b FROM u )",
              "TAB", {"B"}, false, true, "SELECT A FROM `TAB` WHERE A IN ( SELECT B FROM U )"},
    QueryCase{"ParenthesisedSelectIsNoWord", "SELECT a FROM (SELECT b FROM t) x",
              "(SELECT B FROM T) X", {"A FROM (SELECT B"}, false, false,
              "SELECT A FROM `(SELECT B FROM T) X`"},
    QueryCase{"AccentedNames", "SELECT città, perché FROM società", "SOCIETÀ",
              {"CITTÀ", "PERCHÉ"}, false, false, "SELECT CITTÀ, PERCHÉ FROM `SOCIETÀ`"},
    QueryCase{"UnclosedBracket", "SELECT a FROM [t", "[T", {"A"}, false, false,
              "<previous>"}),
    [](const ::testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
