// The data pump between SQLite databases, checked with the sqlite3 program (failed and
// cancelled runs are checked through the program and the automation host).
#include <gtest/gtest.h>

#include "data/providers/jet/jet_provider.h"
#include "package/dts/package.h"
#include "support/pump_package.h"
#include "support/scratch.h"

using namespace kpx;

namespace {

class PumpSqlite : public testing::Test {
 protected:
  void SetUp() override {
    sqlite3(
        targetPath,
        "CREATE TABLE Dest (Code VarChar(10), Name VarChar(20), Qty Long NOT NULL, Price Double);"
        "INSERT INTO Dest VALUES ('old', 'kept', 1, 0.5);");
  }
  std::string sqlite3(const std::string& path, const std::string& sql) {
    return test::sqliteOutput(path, sql, "-batch -csv");
  }

  // Access-kind connection the way the builder makes it: "Data Source" and "Mode".
  static std::shared_ptr<dts::Connection> jet(const std::string& path, int id) {
    auto connection = test::makeConnection(data::JetProvider::kName, path, id);
    connection->ConnectionProperties.Set("Data Source", path);
    connection->ConnectionProperties.Set("Mode", int32_t{id == 1 ? 1 : 3});
    return connection;
  }

  // A source of `rows` rows (Id, Name, Qty as text, Price).
  void makeSource(int rows) {
    sqlite3(sourcePath,
            "CREATE TABLE Src (Id Long, Name VarChar(20), Qty VarChar(10), Price Double);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(rows) + ") INSERT INTO Src SELECT i, 'N' || i, i, i / 4.0 FROM n;");
  }

  std::unique_ptr<dts::Package> makePackage() {
    auto package =
        test::makePumpPackage(jet(sourcePath, 1), jet(targetPath, 2), "Src", "Dest", exceptionFile);
    auto& pump = test::pumpOf(*package);
    test::addCopy(pump, "tra1Name", "Name", "Name");
    test::addCopy(pump, "tra2Qty", "Qty", "Qty");
    test::addCopy(pump, "tra3Price", "Price", "Price");
    test::addConstant(pump, "tra4", "Code", "K7");
    return package;
  }

  test::ScratchFolder scratch;
  std::string sourcePath = scratch.path("source.db"), targetPath = scratch.path("target.db");
  std::string exceptionFile = scratch.path("KPXWIZARD_ERROR.txt");
};

TEST_F(PumpSqlite, CopiesRowsWithNumbersStoredAsNumbers) {
  makeSource(1500);
  test::RecordingEvents events;
  auto package = makePackage();
  package->Execute(&events);
  package->UnInitialize();
  EXPECT_EQ(
      sqlite3(targetPath, "SELECT count(*), sum(Qty), sum(Price) FROM Dest WHERE Code = 'K7'"),
      "1500,1125750,281437.5\n");
  EXPECT_EQ(sqlite3(targetPath, "SELECT * FROM Dest WHERE rowid IN (1, 2, 1501)"),
            "old,kept,1,0.5\nK7,N1,1,0.25\nK7,N1500,1500,375.0\n");
  EXPECT_EQ(sqlite3(targetPath, "SELECT DISTINCT typeof(Qty) || typeof(Price) FROM Dest"),
            "integerreal\n");
  EXPECT_EQ(events.log[1], "progress TrasformationStep_Execute 0% 1000/0")
      << "a SQLite source has no known size";
}

}  // namespace
