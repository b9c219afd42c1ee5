#include <filesystem>
#include <ostream>

#include "cli/column_reading.h"
#include "cli/commands.h"
#include "cli/created_file_guard.h"
#include "cli/file_kind.h"
#include "cli/help_text.h"
#include "cli/missing_database.h"
#include "cli/program_text.h"
#include "cli/session.h"
#include "cli/transfer_run.h"
#include "config/mod_ini_api.h"

namespace kpx::cli {

namespace fs = std::filesystem;

int commandRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  AcceptedOptions accepted;
  addSessionOptions(accepted);
  const ParsedArguments parsed = parseArguments(args, accepted, "run");
  if (parsed.has("--help")) {
    out << kRunHelp;
    return kExitSuccess;
  }
  if (parsed.positional.size() != 1)
    throw CliError(
        "kpxwizard run: give one configuration file, as in 'kpxwizard run CONFIG.ini' (kpxwizard "
        "run --help)");
  const std::string config = parsed.positional[0];
  requireFile(config, "kpxwizard run: the configuration file",
              "save one with 'kpxwizard copy … --save " + config + "' or the wizard");

  Session session(out, err, parsed);
  cKPXWizard& wizard = session.wizard();
  const int32_t language = wizard.Language();
  const CreatedFileGuard created(modINIApi::ReadINIKey(config, "DESTINATION", "Database", ""));
  createMissingDestinationDatabase(config, out);
  if (!wizard.LoadFromINIFile(config)) {
    const std::string reason = session.reasonShown();
    throw CliError("kpxwizard run: cannot load the configuration '" + config + "'" +
                   (reason.empty() ? "" : ": " + reason));
  }
  // The command line's language wins over the file's.
  if (parsed.hasValue("--lang")) wizard.setLanguage(language);
  setProgramItalian(wizard.Language() == kpxLanguageItalian);
  for (const auto& [role, connection] :
       {std::pair{"source", wizard.Source()}, std::pair{"destination", wizard.Destination()}}) {
    if (connection && !connection->Database().empty() && connection->ConType() > 0) continue;
    const std::string reason = session.reasonShown();
    throw CliError(
        "kpxwizard run: the " + std::string(role) + " in '" + config + "' is not valid" +
        (reason.empty() ? std::string(" (its section is missing or empty)") : ": " + reason) +
        "; check its Database, TypeConnection and TableName");
  }
  // A saved copy from a text file into an existing table keeps its transformations by column
  // name; when loading could not match them to the columns it read, they are matched again
  // against the tables themselves.
  if (wizard.Transformations()->Count() == 0 &&
      !modINIApi::ReadINISectionKeys(config, "TRANSFORMATIONS").empty()) {
    const int32_t restored = restoreTransformations(session, config);
    out << said(Said::MatchedTransformations, static_cast<int>(restored)) << std::endl;
  }
  const int status = runTransfer(session);
  if (status == kExitSuccess || status == kExitRowsRejected) created.keep();
  return status;
}

}  // namespace kpx::cli
