#include <exception>
#include <ostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/help_text.h"
#include "cli/program_text.h"
#include "cli/staged_new_file.h"
#include "kpxwizard/automation_error.h"

namespace kpx::cli {
namespace {

// --lang is looked for before the command reads its options, so that a mistake in them is told
// in the language asked for; the command's session reads it again.
bool asksForItalian(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size() && args[i] != "--"; ++i)
    if (args[i] == "--lang=it" ||
        (args[i] == "--lang" && i + 1 < args.size() && args[i + 1] == "it"))
      return true;
  return false;
}

}  // namespace

int dispatch(const std::vector<std::string>& args, std::ostream& shownOut, std::ostream& shownErr) {
  // A new destination is made in a temporary folder: whatever names it names the user's file.
  StagedNamesShown outLines(shownOut.rdbuf()), errLines(shownErr.rdbuf());
  std::ostream out(&outLines), err(&errLines);
  if (args.empty()) {
    err << kProgramHelp;
    return kExitFailure;
  }
  const std::string& command = args[0];
  setProgramItalian(asksForItalian(args));
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
    throw CliError(said(Said::UnknownCommand, command));
  } catch (const CliError& e) {
    err << e.what() << std::endl;
    return e.status();
  } catch (const AutomationError& e) {
    err << "kpxwizard " << command << ": " << e.description()
        << said(Said::ErrorNumber, static_cast<int>(e.number())) << std::endl;
    return kExitFailure;
  } catch (const std::exception& e) {
    err << "kpxwizard " << command << ": " << e.what() << std::endl;
    return kExitFailure;
  }
}

}  // namespace kpx::cli
