// The sub-commands of the kpxwizard program. Each takes the words after its name, writes its
// results to `out` and its messages to `err`, and returns the program's exit status; a
// mistake on the command line or in a file ends it with CliError.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace kpx::cli {

// kpxwizard run CONFIG.ini: repeats a saved transfer.
int commandRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// kpxwizard copy SOURCE DESTINATION: copies a table, sheet or query between two files.
int commandCopy(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// kpxwizard inspect PATH|CONFIG.ini: lists tables, views and columns.
int commandInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// kpxwizard wizard [CONFIG.ini]: opens the wizard window, with the configuration loaded.
int commandWizard(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The whole program: picks the sub-command from args[0], prints CliError texts and returns
// the exit status.
int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kpx::cli
