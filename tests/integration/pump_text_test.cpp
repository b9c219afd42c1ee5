// The data pump between text files and SQLite: delimited and fixed-width files into SQLite
// tables checked with sqlite3, and a SQLite table into a CSV file checked with Python's csv.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/providers/jet/jet_provider.h"
#include "package/dts/package.h"
#include "support/command_output.h"
#include "support/pump_package.h"

using namespace kpx;
using kpx::test::commandOutput;
using kpx::test::shellQuote;
namespace fs = std::filesystem;

namespace {

class PumpText : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("kpx_pump_text_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    dbPath = (dir / "data.db").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string run(const std::string& command) {
    int rc = 0;
    std::string out = commandOutput(command + " 2>&1", &rc);
    EXPECT_EQ(rc, 0) << out;
    return out;
  }
  std::string sqlite3(const std::string& sql) {
    return run("sqlite3 -batch -csv " + shellQuote(dbPath) + " " + shellQuote(sql));
  }
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // A text-file connection with the property set the builder gives one.
  static std::shared_ptr<dts::Connection> textFile(const std::string& path, int id, bool fixed,
                                                   const std::string& lengths, const std::string& names) {
    auto c = test::makeConnection("DTSFlatFile", path, id);
    auto& p = c->ConnectionProperties;
    p.Set("Skip Rows", int32_t{0});
    p.Set("Column Delimiter", std::string(","));
    p.Set("Row Delimiter", std::string("\r\n"));
    p.Set("Column Lengths", lengths);
    p.Set("First Row Column Name", std::string(fixed ? "False" : "True"));
    p.Set("File Format", int32_t{fixed ? 2 : 1});
    p.Set("Text Qualifier", std::string("\""));
    p.Set("Mode", int32_t{id == 1 ? 1 : 3});
    p.Set("Number of Column", int32_t{0});
    p.Set("Column Names", names);
    return c;
  }
  std::shared_ptr<dts::Connection> database(int id) {
    auto c = test::makeConnection(data::JetProvider::kName, dbPath, id);
    c->ConnectionProperties.Set("Data Source", dbPath);
    c->ConnectionProperties.Set("Mode", int32_t{id == 1 ? 1 : 3});
    return c;
  }
  static void copyAll(dts::Package& package, const std::vector<std::pair<std::string, std::string>>& pairs) {
    int i = 0;
    for (const auto& [from, to] : pairs) {
      test::addCopy(test::pumpOf(package), "tra" + std::to_string(++i) + from, from, to);
    }
  }

  fs::path dir;
  std::string dbPath;
};

TEST_F(PumpText, DelimitedFileIntoSqlite) {
  const std::string csv = write("in.csv",
                                "Id,Name,Price,Day\r\n"
                                "1,\"Smith, Ann\",2.5,2024-01-31\r\n"
                                "2,\"say \"\"hi\"\"\",10,2024-02-01 08:30:00\r\n"
                                "3,,,\r\n"
                                "4,leap,1,2023-02-29\r\n");
  sqlite3("CREATE TABLE Dest (Id Long, Name VarChar(50), Price Double, Day Datetime)");
  test::RecordingEvents events;
  auto package = test::makePumpPackage(textFile(csv, 1, false, "", ""), database(2), "in.csv", "Dest");
  copyAll(*package, {{"Id", "Id"}, {"Name", "Name"}, {"Price", "Price"}, {"Day", "Day"}});
  package->Execute(&events);
  package->UnInitialize();
  EXPECT_EQ(sqlite3("SELECT Id, Name, Price, typeof(Price), Day FROM Dest"),
            "1,\"Smith, Ann\",2.5,real,2024-01-31\n"
            "2,\"say \"\"hi\"\"\",10.0,real,\"2024-02-01 08:30:00\"\n"
            "3,,,null,\n");
  ASSERT_EQ(events.errors, 1) << "2023 has no 29 February";
  EXPECT_NE(events.log[1].find("Row 4: The value '2023-02-29'"), std::string::npos) << events.log[1];
}

TEST_F(PumpText, FixedWidthFileIntoSqliteWithAConstant) {
  const std::string txt = write("fixed.txt",
                                "001Apple    12\r\n"
                                "002Pear      7\r\n"
                                "003Fig     100\r\n");
  sqlite3("CREATE TABLE Fruit (Code VarChar(5), Name VarChar(10), Qty Long, Kind VarChar(10))");
  auto package = test::makePumpPackage(textFile(txt, 1, true, "3,8,3", "Code,Name,Qty"), database(2), "fixed.txt",
                                       "Fruit");
  copyAll(*package, {{"Code", "Code"}, {"Name", "Name"}, {"Qty", "Qty"}});
  test::addConstant(test::pumpOf(*package), "tra4", "Kind", "fresh");
  package->Execute();
  package->UnInitialize();
  EXPECT_EQ(sqlite3("SELECT Code, Name, Qty, typeof(Qty), Kind FROM Fruit"),
            "001,Apple,12,integer,fresh\n002,Pear,7,integer,fresh\n003,Fig,100,integer,fresh\n");
}

TEST_F(PumpText, SqliteTableIntoADelimitedFile) {
  sqlite3("CREATE TABLE Src (Id Long, Name VarChar(50), Price Double, Day Datetime);"
          "INSERT INTO Src VALUES (1, 'Smith, Ann', 2.5, '2024-01-31'), (2, 'two\nlines', 1e-7, NULL),"
          "(3, 'say \"hi\"', 1234567.125, '2024-02-01 08:30:00');");
  const std::string out = (dir / "out.csv").string();
  auto package = test::makePumpPackage(database(1), textFile(out, 2, false, "", "Id,Name,Price,Day"), "Src",
                                       "out.csv");
  copyAll(*package, {{"Id", "Id"}, {"Name", "Name"}, {"Price", "Price"}, {"Day", "Day"}});
  package->Execute();
  package->UnInitialize();
  const std::string python =
      "import csv,sys\n"
      "for r in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')): print(repr(r))\n";
  EXPECT_EQ(run("python3 -c " + shellQuote(python) + " " + shellQuote(out)),
            "['Id', 'Name', 'Price', 'Day']\n"
            "['1', 'Smith, Ann', '2.5', '2024-01-31']\n"
            "['2', 'two\\nlines', '1e-07', '']\n"
            "['3', 'say \"hi\"', '1234567.125', '2024-02-01 08:30:00']\n");
}

}  // namespace
