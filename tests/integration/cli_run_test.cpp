// kpxwizard run on saved configurations: the sample transfer and configurations that are no
// longer valid.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "kpxwizard/messages.h"
#include "support/command_output.h"
#include "support/kpxwizard_program.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using kpx::test::runKpxwizard;

namespace {

// A copy of the repository's examples folder, so that the configuration's relative paths
// resolve as they do from the repository root.
class RunSample : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "examples");
    for (const char* name : {"customers.csv", "customers.ini"})
      fs::copy_file(fs::path(KPX_SOURCE_DIR) / "examples" / name, dir / "examples" / name);
  }
  std::string sql(const std::string& statement) {
    return kpx::test::sqliteOutput(scratch.path("examples/out/customers.db"), statement);
  }
  kpx::test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
};

// A dry run makes nothing, the run makes the database, and without its source file the
// configuration no longer loads.
TEST_F(RunSample, CopiesTheCustomersIntoANewSqliteDatabase) {
  auto dry = runKpxwizard("run examples/customers.ini --dry-run --log-dir .", dir.string());
  ASSERT_EQ(dry.status, 0) << dry.out << dry.err;
  EXPECT_NE(dry.out.find("Rows read:     40\nRows to write: 40\nRows rejected: 0\n"),
            std::string::npos)
      << dry.out;
  EXPECT_NE(dry.out.find("Dry run: nothing was written to examples/out/customers.db"),
            std::string::npos)
      << dry.out;
  EXPECT_FALSE(fs::exists(dir / "examples/out"));

  auto run = runKpxwizard("run examples/customers.ini --log-dir .", dir.string());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Created the SQLite database examples/out/customers.db"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Rows read:     40\nRows written:  40\nRows rejected: 0\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find(kpx::GetResText(504, kpx::kpxLanguageEnglish)), std::string::npos)
      << run.err;
  EXPECT_EQ(sql("SELECT COUNT(*), COUNT(DISTINCT Country) FROM Customers"), "40|16\n");
  EXPECT_EQ(
      sql("SELECT Company, City, Joined, CreditLimit FROM Customers WHERE CustomerID = '1035'"),
      "Hungry Coyote Import Store, Ltd.|Elgin|2019-09-27|2600.00\n");

  fs::remove(dir / "examples/customers.csv");
  run = runKpxwizard("run examples/customers.ini --log-dir .", dir.string());
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.err.find("cannot load the configuration 'examples/customers.ini'"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(kpx::GetResText(541, kpx::kpxLanguageEnglish)), std::string::npos)
      << run.err;
}

// For a text source the column builder gives the destination the file's own columns, so run
// loads a saved copy from a text file into an existing table without its transformations and
// matches them by name against the table.
TEST_F(RunSample, SavedTextIntoExistingTableCopyRunsAgain) {
  const std::string db = (dir / "shop.db").string();
  kpx::test::sqliteOutput(db, "CREATE TABLE P(a, b, c)");
  std::ofstream(dir / "people.csv", std::ios::binary)
      << "Id,Name,City\r\n1,Anna,Roma\r\n2,Bruno,Pisa\r\n3,Carla,Bari\r\n";
  auto copy = runKpxwizard("copy people.csv shop.db --to-table P --save again.ini --log-dir .",
                           dir.string());
  ASSERT_EQ(copy.status, 0) << copy.out << copy.err;
  auto run = runKpxwizard("run again.ini --log-dir .", dir.string());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Matched 3 saved column transformation(s)"), std::string::npos) << run.out;
  EXPECT_EQ(kpx::test::sqliteOutput(db, "SELECT group_concat(a || b || c) FROM P"),
            "1AnnaRoma,2BrunoPisa,3CarlaBari,1AnnaRoma,2BrunoPisa,3CarlaBari\n");

  // A column the table lost is named as the reason the run cannot go on.
  kpx::test::sqliteOutput(db, "DROP TABLE P; CREATE TABLE P(a, b)");
  auto broken = runKpxwizard("run again.ini --log-dir .", dir.string());
  EXPECT_EQ(broken.status, 2) << broken.out;
  EXPECT_NE(
      broken.err.find("a transformation in 'again.ini' names a column the tables do not have"),
      std::string::npos)
      << broken.err;
}

// Each row saves a copy whose outcome one option decides, and runs it again: the run must
// leave the destination as the copy did, take the error log folder from the file and say
// nothing the copy did not.
TEST(SavedCopy, RunRepeatsTheSameTransfer) {
  struct Row {
    const char* name;
    const char* arguments;
    const char* destination;  // a text file, or a database file and the query that shows it
    const char* query;
  };
  const Row rows[] = {
      {"Encoding", "people.csv out.csv --encoding latin-1", "out.csv", ""},
      {"ReplaceOfAnExistingTable", "people.csv shop.db --to-table P --replace", "shop.db",
       "SELECT * FROM P"},
      {"ByNameAndReplace", "people.csv shop.db --to-table Q --by-name --replace", "shop.db",
       "SELECT * FROM Q"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    kpx::test::ScratchFolder scratch;
    const std::string dir = scratch.dir().string();
    fs::create_directories(scratch.dir() / "logs");
    scratch.write("people.csv", "Id,Name,City\r\n1,Anna,Citt\xC3\xA0\r\n2,Bruno,Pisa\r\n");
    kpx::test::sqliteOutput(scratch.path("shop.db"),
                            "CREATE TABLE P(a, b, c); INSERT INTO P VALUES (0, 'old', 'row');"
                            "CREATE TABLE Q(City, Id, Name); INSERT INTO Q VALUES ('x', 0, 'y');");
    const auto shown = [&] {
      return *row.query ? kpx::test::sqliteOutput(scratch.path(row.destination), row.query)
                        : kpx::test::readFile(scratch.path(row.destination));
    };
    auto copy = runKpxwizard(
        std::string("copy ") + row.arguments + " --save again.ini --log-dir logs", dir);
    ASSERT_EQ(copy.status, 0) << copy.out << copy.err;
    const std::string copied = shown();
    auto run = runKpxwizard("run again.ini", dir);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(shown(), copied);
    EXPECT_NE(run.out.find("/logs/KPXWIZARD_ERROR.txt"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, copy.err);
  }
}

}  // namespace
