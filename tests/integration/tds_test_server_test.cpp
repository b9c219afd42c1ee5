// The TDS server the SQL Server tests run against, checked with FreeTDS's own tsql and
// freebcp, so that the provider is not only checked against itself.
#include <gtest/gtest.h>

#include "support/command_output.h"
#include "support/scratch.h"
#include "support/tds_test_server.h"

using kpx::test::commandOutput;
using kpx::test::shellQuote;

namespace {

class TdsTestServerTest : public testing::Test {
 protected:
  void SetUp() override {
    kpx::test::sqliteOutput(
        database,
        "CREATE TABLE [Typed] (i int NOT NULL, big bigint, small smallint, tiny tinyint, b Bit, "
        "f float, r real, d decimal(10,2), m money, t Datetime, t2 datetime2, c char(3), "
        "v VarChar(20), nc nchar(2), nv nvarchar(20), tx text, ntx ntext, g uniqueidentifier, "
        "bin varbinary(8));"
        "INSERT INTO Typed VALUES (1, 9000000000, -7, 200, 1, 0.5, 1.25, '12.30', 3.5, "
        "'2024-01-02 03:04:05', '1999-12-31 23:59:58', 'abc', 'è x', 'zz', 'Zoë', 'long', "
        "'ntext', '6F9619FF-8B86-D011-B42D-00C04FC964FF', x'00FF');"
        "INSERT INTO Typed (i) VALUES (2);");
  }
  // What tsql prints for `sql` (tab-separated rows, then the row count or the error).
  std::string tsql(const std::string& sql) {
    return commandOutput("printf '%s\\ngo\\nexit\\n' " + shellQuote(sql) + " | tsql -o q " +
                         server.toolOptions() + " -D sales 2>&1");
  }

  kpx::test::ScratchFolder scratch;
  std::string database = scratch.path("behind.db");
  kpx::test::TdsTestServer server{database};
};

TEST_F(TdsTestServerTest, ServesEveryColumnTypeToTsql) {
  EXPECT_EQ(tsql("SELECT * FROM [dbo].[Typed] ORDER BY i"),
            "i\tbig\tsmall\ttiny\tb\tf\tr\td\tm\tt\tt2\tc\tv\tnc\tnv\ttx\tntx\tg\tbin\n"
            "1\t9000000000\t-7\t200\t1\t0.5\t1.25\t12.30\t3.5000\tJan  2 2024 03:04AM\t"
            "Dec 31 1999 11:59PM\tabc\tè x\tzz\tZoë\tlong\tntext\t"
            "6F9619FF-8B86-D011-B42D-00C04FC964FF\t00ff\n"
            "2\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\tNULL\t"
            "NULL\tNULL\tNULL\tNULL\tNULL\n");
}

TEST_F(TdsTestServerTest, ReportsErrorsAndRowCountsToTsql) {
  EXPECT_NE(tsql("SELECT * FROM [Missing]").find("Msg 208"), std::string::npos);
  EXPECT_NE(tsql("INSERT INTO [Typed] (big) VALUES (1)").find("Msg 515"), std::string::npos);
  tsql("DELETE FROM [Typed] WHERE i = 2");
  EXPECT_EQ(kpx::test::sqliteOutput(database, "SELECT i FROM Typed"), "1\n");
  EXPECT_NE(commandOutput("printf 'SELECT i FROM [Typed]\\ngo\\nexit\\n' | tsql " +
                          server.toolOptions() + " -D sales 2>&1")
                .find("(1 row affected)"),
            std::string::npos);
  EXPECT_NE(tsql("SELECT COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE FROM "
                 "INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = 'Typed' AND COLUMN_NAME "
                 "IN ('i', 'nv')")
                .find("i\tint\tNULL\tNO\nnv\tnvarchar\t20\tYES\n"),
            std::string::npos);
}

TEST_F(TdsTestServerTest, LoadsFreebcpRows) {
  const std::string rows = scratch.write(
      "rows.txt", "5\t\t\t\t0\t\t\t1.5\t2\t2020-02-29 10:00:00\t\t\t\t\t\tcafé\t\t\t\n");
  const std::string out =
      commandOutput("freebcp Typed in " + rows + " -c " + server.toolOptions() + " -D sales 2>&1");
  EXPECT_NE(out.find("1 rows copied"), std::string::npos) << out;
  EXPECT_EQ(kpx::test::sqliteOutput(database, "SELECT i, b, d, m, t, tx FROM Typed WHERE i = 5"),
            "5|0|1.5|2|2020-02-29 10:00:00|café\n");
}

}  // namespace
