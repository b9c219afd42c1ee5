// kpxwizard wizard, and ActivateWizard through the C interface, where no window can open; the
// Python host example driving the shared library through the C automation interface, exactly
// as a host in another language would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/command_output.h"
#include "support/kpxwizard_program.h"

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
