// SQL text: names quoted, the CREATE TABLE text and column types of each kind of destination,
// statements run one at a time and shown in excerpts.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <tuple>

#include "data/mod_database.h"
#include "data/providers/provider.h"
#include "data/providers/sqlite/single_statement.h"
#include "data/providers/statement_excerpt.h"
#include "data/quoted_name.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;
using namespace kpx::modDatabase;

namespace {

struct QuotedCase {
  std::string name;
  const char* open;
  const char* close;
  std::string expected;
};

TEST(QuotedName, DoublesTheClosingCharacterInside) {
  const QuotedCase cases[] = {
      {"Plain", "`", "`", "`Plain`"},
      {"a`b", "`", "`", "`a``b`"},
      {"``", "`", "`", "``````"},
      {"x` TEXT); DROP TABLE keep; --", "`", "`", "`x`` TEXT); DROP TABLE keep; --`"},
      {"a\"b", "\"", "\"", "\"a\"\"b\""},
      {"x]y", "[", "]", "[x]]y]"},
      {"[x]", "[", "]", "[[x]]]"},
      {"a`b", "[", "]", "[a`b]"},
      {"", "`", "`", "``"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kpx::QuoteName(c.name, c.open, c.close), c.expected) << c.name;
}

class SingleStatement : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    db.reset(raw);
    run("CREATE TABLE keep(x)");
  }
  void run(const std::string& sql) { kpx::data::runSingleStatement(db.get(), sql, "memory"); }
  int tables() {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.get(), "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
    sqlite3_step(st);
    const int n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
  }
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db{nullptr, sqlite3_close};
};

TEST_F(SingleStatement, RunsOneStatementWithWhatMayFollowIt) {
  const char* accepted[] = {
      "CREATE TABLE a(x)",
      "CREATE TABLE c(x) ;  \r\n",
      "CREATE TABLE d(x); -- a remark",
      "CREATE TABLE e(x); /* a remark */ ;",
  };
  int expected = 1;
  for (const char* sql : accepted) {
    EXPECT_NO_THROW(run(sql)) << sql;
    EXPECT_EQ(tables(), ++expected) << sql;
  }
}

TEST_F(SingleStatement, RefusesASecondStatementBeforeRunningTheFirst) {
  struct Case {
    std::string sql;
    std::string named;  // what the message must name
  };
  const Case cases[] = {
      {"CREATE TABLE a(x); DROP TABLE keep", "DROP TABLE keep"},
      {"CREATE TABLE `b` TEXT); DROP TABLE keep; CREATE TABLE pwn(`z` x)", "DROP TABLE keep"},
      {"DELETE FROM keep; DROP TABLE keep;", "DROP TABLE keep"},
      {"CREATE TABLE c(x);;; SELECT 1", "SELECT 1"},
      {"CREATE TABLE d(x); this is not SQL", "this is not SQL"},
      {std::string("CREATE TABLE \"e\0\"(x)", 20), "NUL"},
  };
  for (const auto& c : cases) {
    try {
      run(c.sql);
      ADD_FAILURE() << "ran: " << c.sql;
    } catch (const kpx::data::DataError& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
    }
    EXPECT_EQ(tables(), 1) << c.sql;
  }
}

TEST(StatementExcerpt, OneReadableLineOfAtMostTwoHundredCharacters) {
  const std::string columns(300, 'c');
  const struct {
    std::string sql, shown;
  } cases[] = {
      {"CREATE TABLE `T` (\r\n\t`é` Text\r\n)", "CREATE TABLE `T` (   `é` Text  )"},
      {std::string("SELECT '\0\x1B\xFF'", 12), "SELECT '\\x00\\x1B\\xFF'"},
      {"SELECT " + columns + " FROM T",
       "SELECT " + columns.substr(0, 193) + "… (314 characters in all)"},
  };
  for (const auto& c : cases) EXPECT_EQ(kpx::data::statementExcerpt(c.sql), c.shown);
}

class CreateTableText : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    wizard->Destination()->setTableName("Orders");
  }
  void TearDown() override {
    wizard->CloseWizard();
    resetState();
  }
  std::string scriptFor(int32_t kind, const StructureArray& rows) {
    wizard->Destination()->setConType(kind);
    return GenerateScriptCreate(rows);
  }
  const StructureArray rows{{"Code", "VarChar", "50", "NULL"},
                            {"Notes", "VarChar", "300", "-1"},
                            {"Paid", "Bit", "0", "0"},
                            {"Total", "Currency", "0", ""}};
  std::shared_ptr<cKPXWizard> wizard;
};

TEST_F(CreateTableText, EachKindQuotesNamesItsOwnWay) {
  for (auto [kind, open, close] : {std::tuple{CONN_ACCESS, "`", "`"}, {CONN_SQLServer, "[", "]"}}) {
    const auto q = [open, close](const std::string& name) { return open + name + close; };
    EXPECT_EQ(scriptFor(kind, rows), "CREATE TABLE " + q("Orders") + " (\r\n" + q("Code") +
                                         " VarChar (50) NULL,\r\n" + q("Notes") +
                                         " VarChar (255) NULL,\r\n" + q("Paid") +
                                         " Bit NOT NULL,\r\n" + q("Total") + " Currency \r\n)");
  }
}

TEST_F(CreateTableText, BadSizeIsReportedAndKeepsTheLinesBuiltSoFar) {
  test::ScopedRecordingSink sink;
  std::string text =
      scriptFor(CONN_ACCESS, {{"A", "Long", "0", "NULL"}, {"B", "VarChar", "x", "NULL"}});
  EXPECT_EQ(text, "CREATE TABLE `Orders` (\r\n`A` Long NULL,\r\n");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : GenerateScriptCreate [modDatabase] "),
            std::string::npos);
}

class StructureArrays : public CreateTableText {
 protected:
  void addSourceColumn(const std::string& name, int32_t type, int32_t size, bool nullable) {
    auto c = wizard->Source()->Columns()->Add(name);
    c->setName(name);
    c->setDataType(type);
    c->setSize(size);
    c->setNullable(nullable);
  }
};

TEST_F(StructureArrays, DatabaseDestinationTakesTheNamesOfItsKind) {
  addSourceColumn("Id", 3, 4, false);
  addSourceColumn("Flag", 11, 2, true);
  addSourceColumn("Memo", 203, 536870910, true);
  addSourceColumn("Ratio", 5, 8, true);
  clsConnection dest;
  dest.setConType(CONN_SQLServer);
  GenerateStructureArray(dest);
  EXPECT_EQ(state().arrDestinationStructure,
            (StructureArray{{"Id", "int", "4", "NOT NULL"},
                            {"Flag", "Bit", "0", "NULL"},
                            {"Memo", "VarChar", "536870910", "NULL"},
                            {"Ratio", "float", "8", "NULL"}}));
  dest.setConType(CONN_EXCEL);
  GenerateStructureArray(dest);
  EXPECT_EQ(state().arrDestinationStructure,
            (StructureArray{{"Id", "Long", "4", "NOT NULL"},
                            {"Flag", "Bit", "0", "NULL"},
                            {"Memo", "LongText", "536870910", "NULL"},
                            {"Ratio", "Double", "8", "NULL"}}));
}

}  // namespace
