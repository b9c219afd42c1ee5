#include <filesystem>
#include <ostream>

#include "cli/commands.h"
#include "cli/file_kind.h"
#include "cli/help_text.h"
#include "cli/missing_database.h"
#include "cli/program_text.h"
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
  if (parsed.positional.size() > 1) throw CliError(said(Said::AtMostOneConfiguration));
#ifndef KPX_WITH_UI
  throw CliError(said(Said::NoWizardWindow));
#else
  if (const std::string problem = ui::displayProblem(); !problem.empty())
    throw CliError(said(Said::WindowCannotOpen, problem));
  Session session(out, err, parsed);
  cKPXWizard& wizard = session.wizard();
  if (!parsed.positional.empty()) {
    const std::string config = parsed.positional[0];
    requireFile(config, said(Said::TheConfigurationFile, "wizard"), said(Said::CheckThePath));
    const int32_t language = wizard.Language();
    createMissingDestinationDatabase(config, out);
    if (!wizard.LoadFromINIFile(config)) {
      const std::string reason = session.reasonShown();
      throw CliError(said(Said::CannotLoadConfiguration, "wizard", config,
                          reason.empty() ? "" : ": " + reason));
    }
    if (parsed.hasValue("--lang")) wizard.setLanguage(language);
  }
  ui::installWizardWindow();
  return wizard.ActivateWizard() ? kExitSuccess : kExitFailure;
#endif
}

}  // namespace kpx::cli
