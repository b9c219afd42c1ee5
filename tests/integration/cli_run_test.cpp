// kpxwizard run on saved configurations: the sample transfer and configurations that are no
// longer valid.
#include <gtest/gtest.h>

#include <filesystem>

#include "kpxwizard/messages.h"
#include "support/program_folder.h"

namespace fs = std::filesystem;

namespace {

// A copy of the repository's examples folder, so that the configuration's relative paths
// resolve as they do from the repository root.
class RunSample : public kpx::test::ProgramFolder {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "examples");
    for (const char* name : {"customers.csv", "customers.ini"})
      fs::copy_file(fs::path(KPX_SOURCE_DIR) / "examples" / name, dir / "examples" / name);
  }
};

using SavedCopy = kpx::test::ProgramFolder;

// A dry run makes nothing, the run makes the database, and without its source file the
// configuration no longer loads.
TEST_F(RunSample, CopiesTheCustomersIntoANewSqliteDatabase) {
  auto dry = kpxwizard("run examples/customers.ini --dry-run --log-dir .");
  ASSERT_EQ(dry.status, 0) << dry.out << dry.err;
  EXPECT_NE(dry.out.find("Rows read:     40\nRows to write: 40\nRows rejected: 0\n"),
            std::string::npos)
      << dry.out;
  EXPECT_FALSE(fs::exists(dir / "examples/out"));

  auto run = kpxwizard("run examples/customers.ini --log-dir .");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Rows read:     40\nRows written:  40\nRows rejected: 0\n"),
            std::string::npos)
      << run.out;
  const std::string db = "examples/out/customers.db";
  EXPECT_EQ(sql(db, "SELECT COUNT(*), COUNT(DISTINCT Country) FROM Customers"), "40|16\n");
  EXPECT_EQ(
      sql(db, "SELECT Company, City, Joined, CreditLimit FROM Customers WHERE CustomerID = '1035'"),
      "Hungry Coyote Import Store, Ltd.|Elgin|2019-09-27|2600.00\n");

  fs::remove(dir / "examples/customers.csv");
  run = kpxwizard("run examples/customers.ini --log-dir .");
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
  sql("shop.db", "CREATE TABLE P(a, b, c)");
  auto saved = copy("people.csv shop.db --to-table P --save again.ini");
  ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
  auto run = kpxwizard("run again.ini");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Matched 3 saved column transformation(s)"), std::string::npos) << run.out;
  EXPECT_EQ(sql("shop.db", "SELECT group_concat(a || b || coalesce(c, '-')) FROM P"),
            "1AnnaMilano,2Bruno, JrZürich,3Carla-,1AnnaMilano,2Bruno, JrZürich,3Carla-\n");

  // A column the table lost is named as the reason the run cannot go on.
  sql("shop.db", "DROP TABLE P; CREATE TABLE P(a, b)");
  auto broken = kpxwizard("run again.ini");
  EXPECT_EQ(broken.status, 2) << broken.out;
  EXPECT_NE(
      broken.err.find("a transformation in 'again.ini' names a column the tables do not have"),
      std::string::npos)
      << broken.err;
}

// Each row saves a copy whose outcome one option decides, and runs it again: the run must
// leave the destination as the copy did, take the error log folder from the file and say
// nothing the copy did not.
TEST_F(SavedCopy, RunRepeatsTheSameTransfer) {
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
  sql("shop.db",
      "CREATE TABLE P(a, b, c); INSERT INTO P VALUES (0, 'old', 'row');"
      "CREATE TABLE Q(City, Id, Name); INSERT INTO Q VALUES ('x', 0, 'y');");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto shown = [&] {
      return *row.query ? sql(row.destination, row.query)
                        : kpx::test::readFile(path(row.destination));
    };
    auto saved = copy(std::string(row.arguments) + " --save again.ini");
    ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
    const std::string copied = shown();
    auto run = kpxwizard("run again.ini");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(shown(), copied);
    EXPECT_NE(run.out.find("/logs/KPXWIZARD_ERROR.txt"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, saved.err);
  }
}

}  // namespace
