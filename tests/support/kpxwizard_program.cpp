#include "support/kpxwizard_program.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/command_output.h"

namespace kpx::test {

std::string kpxwizardPath() {
#ifdef KPX_BINARY_DIR
  return KPX_BINARY_DIR "/src/cli/kpxwizard";
#else
  return "kpxwizard";
#endif
}

ProgramRun runKpxwizard(const std::string& arguments, const std::string& workingDirectory,
                        const std::string& prefix) {
  static int serial = 0;
  const std::string errFile =
      "/tmp/kpx_cli_err_" + std::to_string(::getpid()) + "_" + std::to_string(++serial);
  std::string command;
  if (!workingDirectory.empty()) command = "cd " + shellQuote(workingDirectory) + " && ";
  command += prefix + " " + shellQuote(kpxwizardPath()) + " " + arguments + " </dev/null 2>" +
             shellQuote(errFile);
  ProgramRun run;
  run.out = commandOutput(command, &run.status);
  std::ifstream in(errFile, std::ios::binary);
  std::ostringstream err;
  err << in.rdbuf();
  run.err = err.str();
  std::remove(errFile.c_str());
  return run;
}

}  // namespace kpx::test
