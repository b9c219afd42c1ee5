// The example host program copies a CSV file into a new table of a new SQLite database through
// BuildColumns, Mapping and Execute, and hears the start, every thousand rows and the finish.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/command_output.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using kpx::test::commandOutput;
using kpx::test::shellQuote;

TEST(ExampleHost, CopiesACsvFileIntoANewSqliteDatabase) {
  kpx::test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
  const std::string csv = (dir / "orders.csv").string();
  const std::string db = (dir / "orders.db").string();
  {
    std::ofstream out(csv, std::ios::binary);
    out << "Number,Customer,Total\r\n";
    for (int i = 1; i <= 2345; ++i) out << i << ",Customer " << i % 7 << "," << i * 2 << ".25\r\n";
  }
  const std::string messages = (dir / "messages.txt").string();
  int code = -1;
  const std::string printed = commandOutput(std::string(KPX_EXAMPLE_HOST) + " " + shellQuote(csv) +
                                                " " + shellQuote(db) + " 2>" + shellQuote(messages),
                                            &code);
  EXPECT_EQ(code, 0) << printed;
  // Without a window the closing message goes to standard error.
  EXPECT_EQ(kpx::test::readFile(messages), "KPX WIZARD IO: Procedure is executed successfully !\n");
  EXPECT_EQ(printed,
            "start TrasformationStep_Execute\n"
            "1000 rows have been transformed or copied.\n"
            "2000 rows have been transformed or copied.\n"
            "finish TrasformationStep_Execute\n"
            "copied into table orders\n");
  EXPECT_EQ(kpx::test::sqliteOutput(
                db, "SELECT count(*), sum(Number), sum(Total), typeof(Total) FROM orders;"),
            "2345|2750685|5501956.25|text\n");  // a text file's columns are text
}
