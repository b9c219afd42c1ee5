// The example host programs, run as they are built: the C++ one copies a CSV file into a new
// table of a new SQLite database through BuildColumns, Mapping and Execute and hears the start,
// every thousand rows and the finish; the Python one drives the shared library through the C
// automation interface, exactly as a host in another language would. And ActivateWizard through
// the C interface, where no window can open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/command_output.h"
#include "support/kpxwizard_program.h"
#include "support/scratch.h"

using kpx::test::commandOutput;
using kpx::test::runKpxwizard;
using kpx::test::shellQuote;

namespace {

const std::string kLibrary = KPX_BINARY_DIR "/src/libkpxwizard.so";
const std::string kHost = KPX_SOURCE_DIR "/examples/automation_host.py";

TEST(AutomationHost, PythonHostBuildsConnectionStringCatchesErrorAndEnumerates) {
  ASSERT_TRUE(std::filesystem::exists(kLibrary)) << kLibrary << " has not been built";
  std::string environment;
#ifdef KPX_ASAN_RUNTIME
  environment = "LD_PRELOAD=" + shellQuote(KPX_ASAN_RUNTIME) + " ASAN_OPTIONS=detect_leaks=0 ";
#endif
  int exitCode = -1;
  std::string output = commandOutput(
      environment + "python3 " + shellQuote(kHost) + " " + shellQuote(kLibrary) + " 2>&1",
      &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_EQ(output,
            "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID=U1\n"
            "Error -2147221503: Item <Country> not found !\n"
            "Transformations: CustomerID, Name, City\n");
}

TEST(ExampleHost, CopiesACsvFileIntoANewSqliteDatabase) {
  kpx::test::ScratchFolder scratch;
  const std::filesystem::path& dir = scratch.dir();
  const std::string csv = (dir / "orders.csv").string();
  const std::string db = (dir / "orders.db").string();
  {
    std::ofstream out(csv, std::ios::binary);
    out << "Number,Customer,Total\r\n";
    for (int i = 1; i <= 2345; ++i) out << i << ",Customer " << i % 7 << "," << i * 2 << ".25\r\n";
  }
  int code = -1;
  const std::string printed = commandOutput(
      std::string(KPX_EXAMPLE_HOST) + " " + shellQuote(csv) + " " + shellQuote(db) + " 2>/dev/null",
      &code);
  EXPECT_EQ(code, 0) << printed;
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

// Takes the display away for one test, as on a server or in a plain ssh session.
class WithoutDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
  }
};

TEST_F(WithoutDisplay, WizardCommandSaysToRunInstead) {
  const auto run =
      runKpxwizard("wizard " + shellQuote(std::string(KPX_SOURCE_DIR) + "/examples/customers.ini"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("there is no display"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("kpxwizard run CONFIG.ini"), std::string::npos) << run.err;
}

#ifndef __SANITIZE_ADDRESS__
// python3 loads the component alone; ActivateWizard finds the window library beside it and
// answers false with the reason instead of ending the process.
TEST_F(WithoutDisplay, AutomationHostGetsFalseAndTheReason) {
  int status = -1;
  const std::string out = commandOutput(
      "python3 " + shellQuote(kHost) + " --wizard " + shellQuote(kLibrary) + " 2>&1", &status);
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("ActivateWizard: False"), std::string::npos) << out;
  EXPECT_NE(out.find("The wizard window cannot open: there is no display"), std::string::npos)
      << out;
}
#endif

}  // namespace
