// kpxwizard copy to and from SQL Server, against the TDS test server (an SQLite database behind
// it) or, when KPX_TEST_SQLSERVER=host[:port],database,user,password is set, a real server.
// Tables are made and read back with FreeTDS's tsql; files with sqlite3.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "support/command_output.h"
#include "support/program_folder.h"
#include "support/tds_test_server.h"

using kpx::test::commandOutput;
using kpx::test::shellQuote;

namespace {

class SqlServerCopy : public kpx::test::ProgramFolder {
 protected:
  void SetUp() override {
    if (const char* real = std::getenv("KPX_TEST_SQLSERVER")) {
      std::stringstream parts(real);
      std::getline(parts, host, ',');
      std::getline(parts, database, ',');
      std::getline(parts, user, ',');
      std::getline(parts, password);
    } else {
      startServer(-1);
    }
    setenv("KPX_SQLSERVER_PASSWORD", password.c_str(), 1);
    for (const char* table : {"KpxOrders", "KpxPeople", "KpxStrict"})
      tsql("DROP TABLE IF EXISTS [" + std::string(table) + "]");
    tsql(
        "CREATE TABLE [KpxOrders] (Id int NOT NULL, Customer nvarchar(40), Amount money, "
        "Price decimal(10,2), Placed datetime, Paid bit, Weight float, Code uniqueidentifier)");
    tsql(
        "INSERT INTO [KpxOrders] VALUES (1, N'Zoë', 12.5, 3.25, '2024-01-02T03:04:05', 1, 1.5, "
        "'6F9619FF-8B86-D011-B42D-00C04FC964FF')");
    tsql("INSERT INTO [KpxOrders] (Id, Customer, Paid) VALUES (2, N'Bruno', 0)");
    tsql("CREATE TABLE [KpxPeople] (Id int, Name nvarchar(20))");
    tsql("INSERT INTO [KpxPeople] VALUES (9, N'Old')");
    scratch.write("people.csv", "Id,Name\r\n1,Anna\r\n2,Zoë\r\n3,Carla\r\n");
  }

  void startServer(int dropAfterInserts) {
    server.reset();
    server = std::make_unique<kpx::test::TdsTestServer>(backing, dropAfterInserts);
    host = "127.0.0.1:" + std::to_string(server->port());
  }
  std::string address() const { return "mssql://" + user + "@" + host + "/" + database; }
  // What tsql prints for one statement: its rows, tab-separated, without headers.
  std::string tsql(const std::string& statement) {
    const std::string out = commandOutput(
        "printf '%s\\ngo\\nexit\\n' " + shellQuote(statement) + " | tsql -o qh -S " + host +
        " -U " + shellQuote(user) + " -P " + shellQuote(password) + " -D " + database + " 2>&1");
    EXPECT_EQ(out.find("Msg "), std::string::npos) << statement << "\n" << out;
    return out;
  }
  std::string backing = scratch.path("server.db");
  std::unique_ptr<kpx::test::TdsTestServer> server;
  std::string host, database = "sales", user = "tester", password = "secret";
};

TEST_F(SqlServerCopy, TableAndQueryIntoSqliteKeepEveryType) {
  auto run = copy(address() + " out.db --from-table KpxOrders --create");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(sql("out.db", "SELECT * FROM KpxOrders ORDER BY Id"),
            "1|Zoë|12.5|3.25|2024-01-02 03:04:05|1|1.5|{6F9619FF-8B86-D011-B42D-00C04FC964FF}\n"
            "2|Bruno||||0||\n");
  run = copy(address() + " out.db --query " +
             shellQuote("SELECT Customer, Amount FROM KpxOrders WHERE Paid = 1") + " --create");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(sql("out.db", "SELECT * FROM Risultati"),
            "12.5|Zoë\n");  // the query's columns come in the sorted order of its select list
}

TEST_F(SqlServerCopy, SqliteTableIntoANewTableBindsEveryType) {
  tsql("DROP TABLE IF EXISTS [Kpx]]Copy]");
  sql("typed.db",
      "CREATE TABLE Typed (Id Long, Name VarChar(20), Amount Currency, Price Decimal, Placed "
      "Datetime, Paid Bit, Weight Double, Code GUID);"
      "INSERT INTO Typed VALUES (1, 'Zoë', 12.5, '3.00', '2024-01-02 03:04:05', 1, 1.5, "
      "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'), (2, 'Bruno', NULL, NULL, NULL, 0, NULL, NULL),"
      "(3, 'Lost', NULL, '3.25', NULL, 0, NULL, NULL);");
  auto run = copy("typed.db " + address() + " --from-table Typed --to-table 'Kpx]Copy' --create");
  // A new numeric column keeps no decimals: the value that would lose them is refused.
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(errorLog().find("The value 3.25 has more decimals than column 'Price'"),
            std::string::npos)
      << errorLog();
  EXPECT_EQ(tsql("SELECT * FROM [Kpx]]Copy] ORDER BY Id"),
            "1\tZoë\t12.5000\t3\tJan  2 2024 03:04AM\t1\t1.5\t"
            "6F9619FF-8B86-D011-B42D-00C04FC964FF\n"
            "2\tBruno\tNULL\tNULL\tNULL\t0\tNULL\tNULL\n");
  tsql("DROP TABLE [Kpx]]Copy]");
}

// The rows take the place of the old one; the row the server refuses goes to the error log.
TEST_F(SqlServerCopy, RowsReplaceTheOldOnesAndRefusedRowsGoToTheErrorLog) {
  tsql("CREATE TABLE [KpxStrict] (Id int NOT NULL PRIMARY KEY, Name nvarchar(20))");
  tsql("INSERT INTO [KpxStrict] VALUES (9, N'Old')");
  scratch.write("dup.csv", "Id,Name\r\n1,Anna\r\n1,Again\r\n2,Zoë\r\n");
  auto run = copy("dup.csv " + address() + " --to-table KpxStrict --replace");
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_EQ(tsql("SELECT Id, Name FROM [KpxStrict] ORDER BY Id"), "1\tAnna\n2\tZoë\n");
  EXPECT_NE(errorLog().find("refused the row"), std::string::npos) << errorLog();
  EXPECT_NE(errorLog().find("1|Again"), std::string::npos) << errorLog();
}

TEST_F(SqlServerCopy, ALostConnectionFailsTheRunAndLeavesTheDatabaseAsItWas) {
  if (!server) GTEST_SKIP() << "only the test server can drop its connection";
  for (const char* into : {"--to-table KpxPeople --replace", "--to-table KpxNew --create"}) {
    startServer(2);
    auto run = copy("people.csv " + address() + " " + into);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("connection to the server was lost"), std::string::npos) << run.err;
    EXPECT_EQ(sql("server.db", "SELECT name FROM sqlite_master"), "KpxOrders\nKpxPeople\n") << into;
    EXPECT_EQ(sql("server.db", "SELECT Id, Name FROM KpxPeople"), "9|Old\n");
  }
}

}  // namespace
