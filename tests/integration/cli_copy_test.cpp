// kpxwizard copy between real files, checked with the sqlite3 program and Python's csv module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/command_output.h"
#include "support/kpxwizard_program.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using kpx::test::commandOutput;
using kpx::test::ProgramRun;
using kpx::test::runKpxwizard;
using kpx::test::shellQuote;

namespace {

class Copy : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "logs");
    scratch.write("people.csv",
                  "Id,Name,City\r\n1,Anna,Milano\r\n2,\"Bruno, Jr\",Zürich\r\n3,Carla,\r\n");
  }

  std::string path(const std::string& name) const { return scratch.path(name); }
  ProgramRun copy(const std::string& arguments) {
    return runKpxwizard("copy " + arguments + " --log-dir " + shellQuote(path("logs")),
                        dir.string());
  }
  std::string sql(const std::string& database, const std::string& statement) {
    return kpx::test::sqliteOutput(path(database), statement);
  }
  // The rows of a CSV file as Python's csv module reads them.
  std::string csvRows(const std::string& name) {
    return commandOutput("python3 -c " +
                         shellQuote("import csv,sys; print(list(csv.reader(open(sys.argv[1], "
                                    "newline='', encoding='utf-8'))))") +
                         " " + shellQuote(path(name)));
  }

  kpx::test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
};

TEST_F(Copy, CsvIntoANewTableOfANewSqliteDatabase) {
  auto run = copy("people.csv shop.db --create --to-table People");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Created the SQLite database shop.db"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Rows written:  3\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Rows rejected: 0\n"), std::string::npos) << run.out;
  EXPECT_EQ(sql("shop.db", "SELECT Id, Name, City FROM People ORDER BY Id"),
            "1|Anna|Milano\n2|Bruno, Jr|Zürich\n3|Carla|\n");
}

TEST_F(Copy, SqliteTableIntoACsvFile) {
  sql("shop.db",
      "CREATE TABLE Customers(Id Long, Name VarChar(50), Balance Double);"
      "INSERT INTO Customers VALUES(1,'Anna',10.5),(2,'Bruno \"B\", Jr',-3),"
      "(3,'Carla' || char(13, 10) || 'Città',NULL);");
  auto run = copy("shop.db customers.csv");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(csvRows("customers.csv"),
            "[['Id', 'Name', 'Balance'], ['1', 'Anna', '10.5'], ['2', 'Bruno \"B\", Jr', '-3'], "
            "['3', 'Carla\\r\\nCittà', '']]\n");
}

TEST_F(Copy, ByNamePairsColumnsWhateverTheirOrder) {
  sql("shop.db",
      "CREATE TABLE People(city VarChar(30), ID Long, Extra VarChar(5), NAME VarChar(30));");
  auto run = copy("people.csv shop.db --by-name");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(sql("shop.db", "SELECT ID, NAME, city, Extra IS NULL FROM People ORDER BY ID"),
            "1|Anna|Milano|1\n2|Bruno, Jr|Zürich|1\n3|Carla||1\n");
}

TEST_F(Copy, RejectedRowsGoToTheErrorLogAndGiveStatusOne) {
  sql("shop.db", "CREATE TABLE People(Id Long NOT NULL, Name VarChar(30), City VarChar(30));");
  scratch.write("bad.csv", "Id,Name,City\n1,Anna,Milano\nabc,Bruno,Roma\n3,Carla,Bari\n");
  auto run = copy("bad.csv shop.db");
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("Rows rejected: 1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Rows written:  2\n"), std::string::npos) << run.out;
  // The question whether to open the log is answered No by default.
  EXPECT_NE(run.err.find("[No; --yes answers Yes]"), std::string::npos) << run.err;
  EXPECT_EQ(sql("shop.db", "SELECT Id FROM People ORDER BY Id"), "1\n3\n");
  const std::string log = kpx::test::readFile(path("logs/KPXWIZARD_ERROR.txt"));
  EXPECT_NE(log.find("abc"), std::string::npos) << log;
}

TEST_F(Copy, ProgressIsReportedAsPlainLinesWhenNotOnATerminal) {
  {
    std::ofstream many(dir / "many.csv", std::ios::binary);
    many << "Id,Name\n";
    for (int i = 1; i <= 2500; ++i) many << i << ",name" << i << "\n";
  }
  auto run = copy("many.csv shop.db --create");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("1000 rows copied, "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2000 rows copied, "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
  EXPECT_NE(run.out.find("Rows written:  2500\n"), std::string::npos) << run.out;
  EXPECT_EQ(sql("shop.db", "SELECT COUNT(*), MAX(CAST(Id AS INTEGER)) FROM many"), "2500|2500\n");
}

}  // namespace
