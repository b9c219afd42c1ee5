// Transfers with hostile names and unlucky runs, driven through the object model: names stay
// names, a failed run keeps the rows it was to replace, and the error log finds a place.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/mod_database.h"
#include "model/error_log_place.h"
#include "package/destination_rows.h"
#include "package/execution_state.h"
#include "support/command_output.h"
#include "support/headless_transfer.h"
#include "support/sql_text.h"

using namespace kpx;
namespace fs = std::filesystem;

namespace {

using test::HeadlessTransfer;
using test::hexOf;
using test::sqlIdentifier;
using test::sqlLiteral;

std::string shown(test::ScopedRecordingSink& sink) {
  return test::shownBoxes(sink);
}

struct HostileName {
  const char* label;
  std::string name;
};

const HostileName kHostileNames[] = {
    {"backquote", "a`b"},
    {"closing_the_create", "b` TEXT); DROP TABLE keep; CREATE TABLE pwn(`z"},
    {"double_quote", "c\"d"},
    {"double_quote_closing_the_insert", "e\"); DROP TABLE keep; --"},
    {"semicolon", "f;g"},
    {"line_break", "h\ni"},
    {"closing_bracket", "j]k"},
};

class HostileNames : public HeadlessTransfer, public ::testing::WithParamInterface<HostileName> {};

TEST_P(HostileNames, ColumnAndTableNamesRoundTripIntoANewTable) {
  test::ScopedRecordingSink sink;
  const std::string name = GetParam().name;
  const std::string src = path("src.db");
  const std::string dst = path("dst.db");
  sqlite(src, "CREATE TABLE Items(Id Long, " + sqlIdentifier(name) +
                  " VarChar(20));"
                  "INSERT INTO Items VALUES(1,'one'),(2,'two');");
  sqlite(dst, "CREATE TABLE keep(x); INSERT INTO keep VALUES(42);");
  wizard->setSource(database(src, "Items"));
  auto destination = database(dst, name);
  destination->setCreatedDestinationTable(true);
  wizard->setDestination(destination);
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  ASSERT_TRUE(wizard->Mapping()) << shown(sink);
  ASSERT_TRUE(wizard->Execute()) << shown(sink);

  EXPECT_EQ(sqlite(dst, "SELECT hex(name) FROM sqlite_master ORDER BY name;"),
            hexOf(std::min(name, std::string("keep"))) + "\n" +
                hexOf(std::max(name, std::string("keep"))) + "\n");
  EXPECT_EQ(sqlite(dst, "SELECT hex(name) FROM pragma_table_info(" + sqlLiteral(name) + ");"),
            hexOf("Id") + "\n" + hexOf(name) + "\n");
  EXPECT_EQ(sqlite(dst, "SELECT Id, " + sqlIdentifier(name) + " FROM " + sqlIdentifier(name) +
                            " ORDER BY Id;"),
            "1|one\n2|two\n");
  EXPECT_EQ(sqlite(dst, "SELECT x FROM keep;"), "42\n");
}

TEST_P(HostileNames, DeletingTheRowsOfAnExistingTableDeletesNothingElse) {
  test::ScopedRecordingSink sink;
  const std::string name = GetParam().name;
  const std::string dst = path("dst.db");
  sqlite(dst, "CREATE TABLE " + sqlIdentifier(name) + "(Id Long, Name VarChar(20)); INSERT INTO " +
                  sqlIdentifier(name) +
                  " VALUES(7,'old'); CREATE TABLE keep(x); INSERT INTO keep VALUES(42);");
  wizard->setSource(csvSource(writeCsv("new.csv", 3)));
  wizard->setDestination(database(dst, name));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  pairColumns({"Id", "Name"});
  ASSERT_TRUE(DeleteDestinationRows(*wizard)) << shown(sink);
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(sqlite(dst, "SELECT group_concat(Id) FROM " + sqlIdentifier(name) + ";"), "1,2,3\n");
  EXPECT_EQ(sqlite(dst, "SELECT x FROM keep;"), "42\n");
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNames, ::testing::ValuesIn(kHostileNames),
                         [](const auto& info) { return std::string(info.param.label); });

// How a run that was asked to replace the rows of a table ends without its new rows.
struct FailedReplacement {
  const char* label;
  int rows;
  int badEvery;  // every so many source rows fail to convert
  int cancelAt;  // the host cancels at this progress event; 0 never
};

const FailedReplacement kFailedReplacements[] = {
    {"more_than_a_hundred_bad_rows", 500, 3, 0},
    {"cancelled_by_the_host", 5000, 0, 2},
};

class FailedReplacements : public HeadlessTransfer,
                           public ::testing::WithParamInterface<FailedReplacement> {};

TEST_P(FailedReplacements, KeepEveryRowOfTheTable) {
  test::ScopedRecordingSink sink;
  const FailedReplacement& c = GetParam();
  const std::string db = path("stock.db");
  sqlite(db,
         "CREATE TABLE Stock(Id Long, Name VarChar(20), Amount Double);"
         "INSERT INTO Stock VALUES(100,'old',1),(200,'older',2);");
  const std::string before = sqlite(db, ".dump");
  wizard->setSource(csvSource(writeCsv("in.csv", c.rows, c.badEvery)));
  wizard->setDestination(database(db, "Stock"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  pairColumns({"Id", "Name", "Amount"});
  events->cancelAt = c.cancelAt;
  ASSERT_TRUE(DeleteDestinationRows(*wizard)) << shown(sink);
  EXPECT_FALSE(wizard->Execute());
  EXPECT_EQ(sqlite(db, ".dump"), before);
  EXPECT_EQ(sqlite(db, "PRAGMA integrity_check;"), "ok\n");

  // The delete still stands for the next run into the table, which succeeds.
  wizard->setSource(csvSource(writeCsv("good.csv", 2)));
  events->cancelAt = 0;
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(sqlite(db, "SELECT group_concat(Id) FROM Stock;"), "1,2\n");
  EXPECT_EQ(executionState().rowsWritten, 2);
}

INSTANTIATE_TEST_SUITE_P(Runs, FailedReplacements, ::testing::ValuesIn(kFailedReplacements),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(HeadlessTransfer, DeleteAskedForOneTableIsForgottenWhenTheTransferGoesToAnother) {
  test::ScopedRecordingSink sink;
  const std::string db = path("two.db");
  sqlite(
      db,
      "CREATE TABLE A(Id Long, Name VarChar(20), Amount Double); INSERT INTO A VALUES(100,'a',1);"
      "CREATE TABLE B(Id Long, Name VarChar(20), Amount Double);");
  wizard->setSource(csvSource(writeCsv("in.csv", 2)));
  wizard->setDestination(database(db, "A"));
  ASSERT_TRUE(DeleteDestinationRows(*wizard)) << shown(sink);
  wizard->setDestination(database(db, "B"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  pairColumns({"Id", "Name", "Amount"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(
      sqlite(db, "SELECT (SELECT group_concat(Id) FROM A), (SELECT group_concat(Id) FROM B);"),
      "100|1,2\n");
  EXPECT_FALSE(executionState().pendingDelete.has_value());
}

TEST_F(HeadlessTransfer, PumpCountsRowsWrittenAndRowsRefused) {
  test::ScopedRecordingSink sink;
  const std::string db = path("out.db");
  sqlite(
      db,
      "CREATE TABLE T(Id Long, Name VarChar(20), Amount Double); INSERT INTO T VALUES(1,'x',1);");
  wizard->setSource(csvSource(writeCsv("in.csv", 50, 10)));
  wizard->setDestination(database(db, "T"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  pairColumns({"Id", "Name", "Amount"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(executionState().rowsWritten, 45);
  EXPECT_EQ(executionState().rowsFailed, 5);
  EXPECT_EQ(sqlite(db, "SELECT count(*) FROM T;"), "46\n");
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    m_had = std::getenv(name) != nullptr;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (m_had)
      ::setenv(m_name, m_old.c_str(), 1);
    else
      ::unsetenv(m_name);
  }

 private:
  const char* m_name;
  std::string m_old;
  bool m_had = false;
};

// Where the log folder stands: inside the test's folder, not made, or without write permission.
struct LogFolderCase {
  const char* label;
  const char* folder;  // below the test's folder
  bool fallsBack;
  bool readOnly;
};

const LogFolderCase kLogFolders[] = {
    {"writable", "logs", false, false},
    {"missing", "missing/deeper", true, false},
    {"read_only", "locked", true, true},
};

class LogFolders : public HeadlessTransfer, public ::testing::WithParamInterface<LogFolderCase> {};

TEST_P(LogFolders, FailedRowsAreLoggedWhereTheyCanBe) {
  const LogFolderCase& c = GetParam();
  // The superuser writes anywhere; a folder's mode stops only others.
  if (c.readOnly && ::geteuid() == 0) GTEST_SKIP() << "run as the superuser";
  test::ScopedRecordingSink sink;
  const ScopedEnvironment state("XDG_STATE_HOME", path("state"));
  if (!c.fallsBack || c.readOnly) fs::create_directories(path(c.folder));
  if (c.readOnly) fs::permissions(path(c.folder), fs::perms::owner_read | fs::perms::owner_exec);
  const std::string folder = path(c.folder) + "/";
  const std::string expected = c.fallsBack ? path("state") + "/kpxwizard/KPXWIZARD_ERROR.txt"
                                           : folder + "KPXWIZARD_ERROR.txt";
  EXPECT_EQ(errorLogFileInUse(folder), expected);

  const std::string db = path("out.db");
  sqlite(db, "CREATE TABLE T(Id Long, Name VarChar(20), Amount Double);");
  wizard->setLogFilePath(folder);
  wizard->setSource(csvSource(writeCsv("in.csv", 10, 5)));
  wizard->setDestination(database(db, "T"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  pairColumns({"Id", "Name", "Amount"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  if (c.readOnly) fs::permissions(path(c.folder), fs::perms::owner_all);
  EXPECT_EQ(sqlite(db, "SELECT count(*) FROM T;"), "8\n");
  std::ifstream log(expected, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Row 5: "), std::string::npos) << expected;
  EXPECT_NE(text.find("Row 10: "), std::string::npos) << expected;
}

INSTANTIATE_TEST_SUITE_P(Places, LogFolders, ::testing::ValuesIn(kLogFolders),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
