#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "cli/file_kind.h"
#include "cli/help_text.h"
#include "cli/missing_database.h"
#include "cli/session.h"
#ifdef KPX_WITH_UI
#include "ui/wizard_window.h"
#endif

namespace kpx::cli {

int commandWizard(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  AcceptedOptions accepted;
  addSessionOptions(accepted);
  const ParsedArguments parsed = parseArguments(args, accepted, "wizard");
  if (parsed.has("--help")) {
    out << kWizardHelp;
    return kExitSuccess;
  }
  if (parsed.positional.size() > 1)
    throw CliError(
        "kpxwizard wizard: give at most one configuration file, as in 'kpxwizard wizard "
        "CONFIG.ini' (kpxwizard wizard --help)");
#ifndef KPX_WITH_UI
  throw CliError(
      "kpxwizard wizard: this build has no wizard window (it was built without Qt); run a saved "
      "transfer with 'kpxwizard run CONFIG.ini'");
#else
  if (const std::string problem = ui::displayProblem(); !problem.empty())
    throw CliError("kpxwizard wizard: the window cannot open: " + problem);
  Session session(out, err, parsed);
  cKPXWizard& wizard = session.wizard();
  if (!parsed.positional.empty()) {
    const std::string config = parsed.positional[0];
    requireFile(config, "kpxwizard wizard: the configuration file", "check the path");
    const int32_t language = wizard.Language();
    createMissingDestinationDatabase(config, out);
    if (!wizard.LoadFromINIFile(config)) {
      const std::string reason = session.reasonShown();
      throw CliError("kpxwizard wizard: cannot load the configuration '" + config + "'" +
                     (reason.empty() ? "" : ": " + reason));
    }
    if (parsed.hasValue("--lang")) wizard.setLanguage(language);
  }
  ui::installWizardWindow();
  return wizard.ActivateWizard() ? kExitSuccess : kExitFailure;
#endif
}

}  // namespace kpx::cli
