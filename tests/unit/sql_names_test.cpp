// Names quoted for SQL text, and statements run one at a time.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

#include "data/providers/provider.h"
#include "data/providers/sqlite/single_statement.h"
#include "data/providers/statement_excerpt.h"
#include "data/quoted_name.h"

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
      "CREATE TABLE b(x);",
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

}  // namespace
