#include <exception>
#include <ostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/help_text.h"
#include "kpxwizard/automation_error.h"

namespace kpx::cli {

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kProgramHelp;
    return kExitFailure;
  }
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (command == "--help" || command == "-h" || command == "help") {
      out << kProgramHelp;
      return kExitSuccess;
    }
    if (command == "run") return commandRun(rest, out, err);
    if (command == "copy") return commandCopy(rest, out, err);
    if (command == "inspect") return commandInspect(rest, out, err);
    if (command == "wizard") return commandWizard(rest, out, err);
    throw CliError("kpxwizard: unknown command '" + command +
                   "'; the commands are copy, run, inspect and wizard (kpxwizard --help)");
  } catch (const CliError& e) {
    err << e.what() << std::endl;
    return e.status();
  } catch (const AutomationError& e) {
    err << "kpxwizard " << command << ": " << e.description() << " (error " << e.number() << ")"
        << std::endl;
    return kExitFailure;
  } catch (const std::exception& e) {
    err << "kpxwizard " << command << ": " << e.what() << std::endl;
    return kExitFailure;
  }
}

}  // namespace kpx::cli
