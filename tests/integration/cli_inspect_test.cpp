// kpxwizard inspect: tables, views and columns of real files, as text and as JSON that
// Python's json module parses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/command_output.h"
#include "support/kpxwizard_program.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using kpx::test::commandOutput;
using kpx::test::runKpxwizard;
using kpx::test::shellQuote;

namespace {

class Inspect : public ::testing::Test {
 protected:
  void SetUp() override {
    kpx::test::sqliteOutput(
        db,
        "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Balance Currency);"
        "CREATE TABLE Odd(\"say \"\"hi\"\"\" Double, \"back\\slash\" Bit, \"città\" LongText);"
        "CREATE VIEW Rich AS SELECT Id, Name FROM Customers;");
  }

  // Runs a Python expression over the JSON that `inspect --json` printed for `path`.
  std::string pythonOverJson(const std::string& path, const std::string& expression) {
    auto run = runKpxwizard("inspect " + shellQuote(path) + " --json");
    EXPECT_EQ(run.status, 0) << run.err;
    std::ofstream(dir / "out.json", std::ios::binary) << run.out;
    return commandOutput(
        "python3 -c " +
        shellQuote("import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); print(" +
                   expression + ")") +
        " " + shellQuote((dir / "out.json").string()));
  }

  kpx::test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
  std::string db = scratch.path("shop.db");
};

TEST_F(Inspect, ListsTablesViewsAndColumnsOfASqliteDatabaseAsTextAndJson) {
  auto run = runKpxwizard("inspect " + shellQuote(db));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("SQLite database, 3 tables"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("TABLE Customers"), std::string::npos);
  EXPECT_NE(run.out.find("VIEW Rich"), std::string::npos);
  EXPECT_NE(run.out.find("  Id          3  Long            0  no\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  Name      202  VarChar        50  yes\n"), std::string::npos)
      << run.out;
  // The JSON form escapes quotes and backslashes and keeps Unicode.
  EXPECT_EQ(pythonOverJson(db,
                           "[c['name'] for c in d['tables'][1]['columns']] == ['say \"hi\"', "
                           "'back\\\\slash', 'città']"),
            "True\n");
}

TEST_F(Inspect, ConfigurationShowsItsSourceAndDestination) {
  std::ofstream(dir / "people.tsv") << "Id\tName\n1\tAnna\n";
  // Saved with whole paths: the configuration is inspected from another folder.
  auto saved = runKpxwizard("copy " + shellQuote((dir / "people.tsv").string()) + " " +
                                shellQuote(db) + " --to-table Customers --by-name --save copy.ini",
                            dir.string());
  ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
  EXPECT_EQ(pythonOverJson((dir / "copy.ini").string(),
                           "d['source']['kind'], [(c['name'], c['type'], c['size']) for c in "
                           "d['source']['tables'][0]['columns']], d['destination']['kind'], "
                           "len(d['destination']['tables'])"),
            "text file [('Id', 200, 255), ('Name', 200, 255)] SQLite database 3\n");
  auto text = runKpxwizard("inspect " + shellQuote((dir / "copy.ini").string()));
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Source "), std::string::npos);
  EXPECT_NE(text.out.find("Destination "), std::string::npos);
}

TEST_F(Inspect, DatabaseThatWillNotOpenIsAFailure) {
  std::ofstream(dir / "broken.db") << "this is not a database";
  auto run = runKpxwizard("inspect " + shellQuote((dir / "broken.db").string()));
  // Plain text with a database's name is read as what its name says; it does not open.
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.err.find("broken.db"), std::string::npos) << run.err;
}

}  // namespace
