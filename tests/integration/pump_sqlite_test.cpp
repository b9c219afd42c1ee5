// The data pump between real databases: SQLite to SQLite and Access (.mdb) to SQLite, checked
// with the sqlite3 program; failed and cancelled runs leave the destination file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/providers/jet/jet_provider.h"
#include "package/dts/package.h"
#include "support/command_output.h"
#include "support/pump_package.h"

using namespace kpx;
using kpx::test::commandOutput;
using kpx::test::shellQuote;
namespace fs = std::filesystem;

namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PumpSqlite : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("kpx_pump_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    sourcePath = (dir / "source.db").string();
    targetPath = (dir / "target.db").string();
    exceptionFile = (dir / "KPXWIZARD_ERROR.txt").string();
    sqlite3(targetPath, "CREATE TABLE Dest (Code VarChar(10), Name VarChar(20), Qty Long NOT NULL, Price Double);"
                        "INSERT INTO Dest VALUES ('old', 'kept', 1, 0.5);");
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string sqlite3(const std::string& path, const std::string& sql) {
    int rc = 0;
    std::string out = commandOutput("sqlite3 -batch -csv " + shellQuote(path) + " " + shellQuote(sql) + " 2>&1", &rc);
    EXPECT_EQ(rc, 0) << out;
    return out;
  }

  // Access-kind connection the way the builder makes it: "Data Source" and "Mode".
  static std::shared_ptr<dts::Connection> jet(const std::string& path, int id) {
    auto connection = test::makeConnection(data::JetProvider::kName, path, id);
    connection->ConnectionProperties.Set("Data Source", path);
    connection->ConnectionProperties.Set("Mode", int32_t{id == 1 ? 1 : 3});
    return connection;
  }

  // A source of `rows` rows (Id, Name, Qty as text): Qty is "bad" on every `badEvery`-th.
  void makeSource(int rows, int badEvery = 0) {
    sqlite3(sourcePath,
            "CREATE TABLE Src (Id Long, Name VarChar(20), Qty VarChar(10), Price Double);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
                ") INSERT INTO Src SELECT i, 'N' || i, CASE WHEN " + std::to_string(badEvery) +
                " > 0 AND i % " + std::to_string(badEvery) + " = 0 THEN 'bad' ELSE i END, i / 4.0 FROM n;");
  }

  std::unique_ptr<dts::Package> makePackage() {
    auto package = test::makePumpPackage(jet(sourcePath, 1), jet(targetPath, 2), "Src", "Dest", exceptionFile);
    auto& pump = test::pumpOf(*package);
    test::addCopy(pump, "tra1Name", "Name", "Name");
    test::addCopy(pump, "tra2Qty", "Qty", "Qty");
    test::addCopy(pump, "tra3Price", "Price", "Price");
    test::addConstant(pump, "tra4", "Code", "K7");
    return package;
  }

  fs::path dir;
  std::string sourcePath, targetPath, exceptionFile;
};

TEST_F(PumpSqlite, CopiesRowsWithNumbersStoredAsNumbers) {
  makeSource(1500);
  test::RecordingEvents events;
  auto package = makePackage();
  package->Execute(&events);
  package->UnInitialize();
  EXPECT_EQ(sqlite3(targetPath, "SELECT count(*), sum(Qty), sum(Price) FROM Dest WHERE Code = 'K7'"),
            "1500,1125750,281437.5\n");
  EXPECT_EQ(sqlite3(targetPath, "SELECT * FROM Dest WHERE rowid IN (1, 2, 1501)"),
            "old,kept,1,0.5\nK7,N1,1,0.25\nK7,N1500,1500,375.0\n");
  EXPECT_EQ(sqlite3(targetPath, "SELECT DISTINCT typeof(Qty) || typeof(Price) FROM Dest"), "integerreal\n");
  EXPECT_EQ(events.log[1], "progress TrasformationStep_Execute 0% 1000/0") << "a SQLite source has no known size";
}

TEST_F(PumpSqlite, FiftyBadRowsCommitTheRest) {
  makeSource(2000, 40);
  test::RecordingEvents events;
  auto package = makePackage();
  package->Execute(&events);
  package->UnInitialize();
  EXPECT_EQ(events.errors, 50);
  EXPECT_EQ(sqlite3(targetPath, "SELECT count(*) FROM Dest WHERE Code = 'K7'"), "1950\n");
  const auto lines = test::crlfLines(exceptionFile);
  ASSERT_EQ(lines.size(), 51u);
  EXPECT_EQ(lines[1], "Row 40: The value 'bad' does not convert to the type of column 'Qty'|40|N40|bad|10");
  EXPECT_EQ(lines[50], "Row 2000: The value 'bad' does not convert to the type of column 'Qty'|2000|N2000|bad|500");
}

TEST_F(PumpSqlite, TooManyBadRowsLeaveTheFileAsItWas) {
  makeSource(3000, 20);
  const std::string before = fileBytes(targetPath);
  const std::string dumpBefore = sqlite3(targetPath, ".dump");
  auto package = makePackage();
  EXPECT_THROW(package->Execute(), dts::DtsError);
  package->UnInitialize();
  EXPECT_EQ(package->Steps.Item(1)->GetExecutionErrorInfo().ErrorCode, dts::kErrTooManyRowErrors);
  EXPECT_EQ(sqlite3(targetPath, ".dump"), dumpBefore);
  EXPECT_EQ(fileBytes(targetPath), before);
  EXPECT_FALSE(fs::exists(targetPath + "-journal"));
  EXPECT_EQ(test::crlfLines(exceptionFile).size(), 1u + 101u + 1u);
}

TEST_F(PumpSqlite, CancelAtTheThirdProgressLeavesTheFileAsItWas) {
  makeSource(5000);
  const std::string before = fileBytes(targetPath);
  test::RecordingEvents events;
  events.cancelAtQuery = 3;
  auto package = makePackage();
  EXPECT_THROW(package->Execute(&events), dts::DtsError);
  package->UnInitialize();
  EXPECT_EQ(package->Steps.Item(1)->GetExecutionErrorInfo().ErrorCode, dts::kErrCancelled);
  EXPECT_EQ(sqlite3(targetPath, "SELECT * FROM Dest"), "old,kept,1,0.5\n");
  EXPECT_EQ(fileBytes(targetPath), before);
}

TEST_F(PumpSqlite, SourceQueryFeedsThePump) {
  makeSource(10);
  auto package = makePackage();
  test::pumpOf(*package).SourceSQLStatement = "SELECT Name, Qty * 2 AS Qty, Price FROM Src WHERE Id > 8";
  package->Execute();
  package->UnInitialize();
  EXPECT_EQ(sqlite3(targetPath, "SELECT * FROM Dest WHERE Code = 'K7'"), "K7,N9,18,2.25\nK7,N10,20,2.5\n");
}

TEST_F(PumpSqlite, AccessTableCopiesIntoSqlite) {
  const std::string mdb = std::string(KPX_SHARED_TESTDATA) + "/access/jackcess__testV1997.mdb";
  if (!fs::exists(mdb)) GTEST_SKIP() << "shared test data not found at " << mdb;
  sqlite3(targetPath, "CREATE TABLE T1 (A VarChar(50), B VarChar(50), C Long, D Long, E Long, F Double, "
                      "G Datetime, H Currency, I Bit)");
  auto package = test::makePumpPackage(jet(mdb, 1), jet(targetPath, 2), "Table1", "T1", exceptionFile);
  auto& pump = test::pumpOf(*package);
  for (const char* c : {"A", "B", "C", "D", "E", "F", "G", "H", "I"}) test::addCopy(pump, std::string("tra") + c, c, c);
  package->Execute();
  package->UnInitialize();

  // mdb-export prints the same rows in its own forms: quoted text, dates with a time,
  // currency with four decimals.
  int rc = 0;
  const std::string exported = commandOutput("mdb-export -D %Y-%m-%d -T '%Y-%m-%d %H:%M:%S' " + shellQuote(mdb) + " Table1", &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(exported,
            "A,B,C,D,E,F,G,H,I\n\"a\",\"b\",0,0,0,0,\"1981-12-12 00:00:00\",0.0000,0\n"
            "\"abcdefg\",\"hijklmnop\",2,222,333333333,444.555,\"1974-09-21 00:00:00\",3.5000,1\n");
  EXPECT_EQ(sqlite3(targetPath, "SELECT * FROM T1"),
            "a,b,0,0,0,0.0,1981-12-12,0,0\nabcdefg,hijklmnop,2,222,333333333,444.555,1974-09-21,3.5,1\n");
  EXPECT_FALSE(fs::exists(exceptionFile));
}

}  // namespace
