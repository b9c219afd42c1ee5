// Transfers driven only through the public object model (create, assign, BuildColumns,
// Mapping or host-made transformations, Execute), each result read back by another program;
// a delete of the destination rows goes only to the table it was asked for.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/mod_database.h"
#include "package/destination_rows.h"
#include "package/execution_state.h"
#include "support/command_output.h"
#include "support/headless_transfer.h"
#include "support/libreoffice_csv.h"
#include "support/scratch.h"

using namespace kpx;
namespace fs = std::filesystem;
using test::commandOutput;
using test::shellQuote;

namespace {

using test::HeadlessTransfer;

constexpr auto shown = &test::shownBoxes;

TEST_F(HeadlessTransfer, SqliteIntoAnExistingTableWithAConstantAndFewerColumns) {
  test::ScopedRecordingSink sink;
  std::string src = path("src.db");
  std::string dst = path("dst.db");
  sqlite(src,
         "CREATE TABLE People(Id INTEGER, Name TEXT, City TEXT);"
         "INSERT INTO People VALUES(1,'Anna','Roma'),(2,'Bruno','Milano'),(3,'Carla','Pisa');");
  sqlite(dst,
         "CREATE TABLE Contacts(Code INTEGER, FullName TEXT, Origin TEXT, Country TEXT);"
         "INSERT INTO Contacts VALUES(9,'Old','X','Y');");
  wizard->setSource(database(src, "People"));
  wizard->setDestination(database(dst, "Contacts"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  ASSERT_TRUE(wizard->Mapping());
  ASSERT_EQ(wizard->Transformations()->Count(), 3);  // three source columns, four destination ones
  auto constant = wizard->Transformations()->Add("Country");
  constant->setTransformationType(kpxConstantColumn);
  constant->setConstantValue("Italia");
  constant->DestinationFields()->AddColumn(wizard->Destination()->Columns()->Item("Country"));
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(sqlite(dst, "SELECT * FROM Contacts ORDER BY Code;"),
            "1|Anna|Roma|Italia\n2|Bruno|Milano|Italia\n3|Carla|Pisa|Italia\n9|Old|X|Y\n");
}

TEST_F(HeadlessTransfer, AccessTableIntoSqliteHoldsWhatMdbExportReads) {
  std::string mdb = std::string(KPX_SHARED_TESTDATA) + "/access/jackcess__testV1997.mdb";
  if (!fs::exists(mdb)) GTEST_SKIP() << "shared test data not found at " << mdb;
  test::ScopedRecordingSink sink;
  std::string db = path("copy.db");
  modDatabase::CreaDataBase(db);
  wizard->setSource(database(mdb, "Table1"));
  auto destination = database(db, "");
  destination->setCreatedDestinationTable(true);
  wizard->setDestination(destination);
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  test::CsvRows ours = test::parseCsv(sqlite(db, "SELECT * FROM Table1;", "-csv"));
  test::CsvRows theirs = test::parseCsv(commandOutput(
      "mdb-export -D %Y-%m-%d -T '%Y-%m-%d %H:%M:%S' " + shellQuote(mdb) + " Table1 | tail -n +2"));
  // A day at midnight is stored as the day alone.
  for (auto& row : theirs)
    for (auto& field : row)
      if (field.size() == 19 && field.ends_with(" 00:00:00")) field.resize(10);
  ASSERT_EQ(theirs.size(), 2u);
  EXPECT_EQ(test::canonicalNumbers(ours), test::canonicalNumbers(theirs));
}

// A run takes up to a hundred failed rows, each logged on its own line; the next one fails it.
TEST_F(HeadlessTransfer, FailedRowsAreLoggedAndOfferTheLogUpToAHundred) {
  test::ScopedRecordingSink sink({vbNo});
  std::string dst = path("dst.db");
  sqlite(dst, "CREATE TABLE T(Id Long, Name VarChar(50), Amount Double);");
  wizard->setSource(csvSource(writeCsv("bad.csv", 1000, 10)));  // 100 amounts that are not numbers
  wizard->setDestination(database(dst, "T"));
  // A text source into an existing table: the column builder's text branch does not read the
  // table's columns, so the host pairs the columns itself.
  pairColumns({"Id", "Name", "Amount"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(sqlite(dst, "SELECT count(*) FROM T;"), "900\n");
  ASSERT_FALSE(sink->boxes.empty());
  EXPECT_EQ(sink->boxes.back().text, GetResText(548));
  EXPECT_EQ(wizard->CountCorrectImport(), 0);
  EXPECT_EQ(events->errors, 0);  // row errors never reach the host
  EXPECT_NE(test::readFile(path("KPXWIZARD_ERROR.txt")).find("|10|Name 10|n/a\r\n"),
            std::string::npos);

  wizard->setSource(csvSource(writeCsv("worse.csv", 1010, 10)));  // 101
  EXPECT_FALSE(wizard->Execute());
  EXPECT_EQ(sqlite(dst, "SELECT count(*) FROM T;"), "900\n");
}

// Even with its rows to be replaced, the table keeps them when the host cancels.
TEST_F(HeadlessTransfer, CancelFromTheHostLeavesTheDestinationAsItWas) {
  test::ScopedRecordingSink sink;
  std::string csv = writeCsv("many.csv", 5000);
  std::string dst = path("dst.db");
  sqlite(dst,
         "CREATE TABLE T(Id Long, Name VarChar(50), Amount Double); INSERT INTO T "
         "VALUES(0,'keep',0);");
  wizard->setSource(csvSource(csv));
  wizard->setDestination(database(dst, "T"));
  pairColumns({"Id", "Name", "Amount"});
  events->cancelAt = 3;
  ASSERT_TRUE(DeleteDestinationRows(*wizard)) << shown(sink);
  EXPECT_FALSE(wizard->Execute());
  EXPECT_EQ(sqlite(dst, "SELECT * FROM T;"), "0|keep|0.0\n");
  ASSERT_FALSE(sink->boxes.empty());
  EXPECT_EQ(sink->boxes.back().text.rfind("Package fallito ! Errore: ", 0), 0u);
}

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

}  // namespace
