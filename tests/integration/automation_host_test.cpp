// The Python host example drives the shared library through the C automation interface,
// exactly as a host in another language would.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/command_output.h"

namespace kpx::test {
namespace {

TEST(AutomationHost, PythonHostBuildsConnectionStringCatchesErrorAndEnumerates) {
  const std::string library = KPX_BINARY_DIR "/src/libkpxwizard.so";
  ASSERT_TRUE(std::filesystem::exists(library)) << library << " has not been built";
  std::string environment;
#ifdef KPX_ASAN_RUNTIME
  environment = "LD_PRELOAD=" + shellQuote(KPX_ASAN_RUNTIME) + " ASAN_OPTIONS=detect_leaks=0 ";
#endif
  int exitCode = -1;
  std::string output = commandOutput(environment + "python3 " +
                                         shellQuote(KPX_SOURCE_DIR "/examples/automation_host.py") +
                                         " " + shellQuote(library) + " 2>&1",
                                     &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_EQ(output,
            "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User ID=U1\n"
            "Error -2147221503: Item <Country> not found !\n"
            "Transformations: CustomerID, Name, City\n");
}

}  // namespace
}  // namespace kpx::test
