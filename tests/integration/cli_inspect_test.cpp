// kpxwizard inspect: tables, views and columns of real files, as text and as JSON that
// Python's json module parses.
#include <gtest/gtest.h>

#include "support/command_output.h"
#include "support/program_folder.h"

using kpx::test::commandOutput;
using kpx::test::shellQuote;

namespace {

class Inspect : public kpx::test::ProgramFolder {
 protected:
  void SetUp() override {
    sql("shop.db",
        "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Balance Currency);"
        "CREATE TABLE Odd(\"say \"\"hi\"\"\" Double, \"back\\slash\" Bit, \"città\" LongText);"
        "CREATE VIEW Rich AS SELECT Id, Name FROM Customers;");
  }

  // Runs a Python expression over the JSON that `inspect --json` printed for `path`.
  std::string pythonOverJson(const std::string& path, const std::string& expression) {
    auto run = kpxwizard("inspect " + shellQuote(path) + " --json");
    EXPECT_EQ(run.status, 0) << run.err;
    scratch.write("out.json", run.out);
    return commandOutput(
        "python3 -c " +
        shellQuote("import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); print(" +
                   expression + ")") +
        " " + shellQuote(this->path("out.json")));
  }
};

TEST_F(Inspect, ListsTablesViewsAndColumnsOfASqliteDatabaseAsTextAndJson) {
  auto run = kpxwizard("inspect shop.db");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("VIEW Rich"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  Id          3  Long            0  no\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  Name      202  VarChar        50  yes\n"), std::string::npos)
      << run.out;
  // The JSON form escapes quotes and backslashes and keeps Unicode.
  EXPECT_EQ(pythonOverJson("shop.db",
                           "[c['name'] for c in d['tables'][1]['columns']] == ['say \"hi\"', "
                           "'back\\\\slash', 'città']"),
            "True\n");
}

TEST_F(Inspect, ConfigurationShowsItsSourceAndDestination) {
  scratch.write("people.tsv", "Id\tName\n1\tAnna\n");
  // Saved with whole paths: the configuration is inspected from another folder.
  auto saved = copy(shellQuote(path("people.tsv")) + " " + shellQuote(path("shop.db")) +
                    " --to-table Customers --by-name --save copy.ini");
  ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
  EXPECT_EQ(pythonOverJson(path("copy.ini"),
                           "d['source']['kind'], [(c['name'], c['type'], c['size']) for c in "
                           "d['source']['tables'][0]['columns']], d['destination']['kind'], "
                           "len(d['destination']['tables'])"),
            "text file [('Id', 200, 255), ('Name', 200, 255)] SQLite database 3\n");
}

}  // namespace
