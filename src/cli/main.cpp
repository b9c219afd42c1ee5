// kpxwizard: copies data between SQLite and Access databases, Excel workbooks, text files and
// HTML tables from the command line, and repeats transfers saved as configuration files.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kpx::cli::dispatch(args, std::cout, std::cerr);
}
