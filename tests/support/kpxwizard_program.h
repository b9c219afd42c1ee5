// Runs the built kpxwizard program for the tests of the command line.
#pragma once
#include <string>

namespace kpx::test {

struct ProgramRun {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `kpxwizard ARGUMENTS` (a shell-quoted argument text) in `workingDirectory`
// (the current one when empty), with standard input empty, after the shell words `prefix`
// ("umask 077 &&", "NAME=value").
ProgramRun runKpxwizard(const std::string& arguments, const std::string& workingDirectory = {},
                        const std::string& prefix = {});

// The path of the built program.
std::string kpxwizardPath();

}  // namespace kpx::test
