#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/column_reading.h"
#include "cli/commands.h"
#include "cli/created_file_guard.h"
#include "cli/file_kind.h"
#include "cli/help_text.h"
#include "cli/missing_database.h"
#include "cli/program_text.h"
#include "cli/rejects_file.h"
#include "cli/scratch_destination.h"
#include "cli/session.h"
#include "cli/transfer_run.h"
#include "config/mod_ini_api.h"
#include "kpxwizard/automation_error.h"
#include "model/vb_conversions.h"

namespace kpx::cli {

namespace fs = std::filesystem;

namespace {

// Read as the configuration loader reads it; a value it would refuse creates nothing.
bool createsTable(const std::string& config) {
  try {
    return vb::CBool(modINIApi::ReadINIKey(config, "DESTINATION", "CreatedDestinationTable", "0"));
  } catch (const AutomationError&) {
    return false;
  }
}

}  // namespace

int commandRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  AcceptedOptions accepted;
  accepted.flags = {"--dry-run"};
  accepted.withValue = {"--rejects"};
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
  const std::string named = parsed.positional[0];
  requireFile(named, "kpxwizard run: the configuration file",
              "save one with 'kpxwizard copy … --save " + named + "' or the wizard");

  Session session(out, err, parsed);
  cKPXWizard& wizard = session.wizard();
  const bool dryRun = parsed.has("--dry-run");
  wizard.setDryRun(dryRun);
  const int32_t language = wizard.Language();
  const std::string database = modINIApi::ReadINIKey(named, "DESTINATION", "Database", "");
  const CreatedFileGuard created(database);
  // A configuration that creates its table is rehearsed on copies of itself and its database,
  // as the table is made before the rows flow, outside the transaction a dry run rolls back.
  std::optional<ScratchDestination> scratch;
  std::string config = named;
  if (dryRun && !database.empty() && detectFileKind(database).conType != CONN_TEXTFILE &&
      createsTable(named)) {
    scratch.emplace(database);
    config = (fs::path(scratch->folder()) / fs::path(named).filename()).string();
    std::error_code ec;
    if (!fs::copy_file(named, config, ec))
      throw CliError("kpxwizard run: cannot copy '" + named + "' for the dry run: " + ec.message());
    modINIApi::WriteINIKey(config, "DESTINATION", "Database", scratch->path());
  }
  std::ostringstream rehearsalNotes;
  createMissingDestinationDatabase(config, scratch ? rehearsalNotes : out);
  if (!wizard.LoadFromINIFile(config)) {
    const std::string reason = session.reasonShown();
    throw CliError("kpxwizard run: cannot load the configuration '" + named + "'" +
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
        "kpxwizard run: the " + std::string(role) + " in '" + named + "' is not valid" +
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
  const auto rejects = openRejectsFile(session, parsed);
  const int status = runTransfer(session, database);
  finishRejectsFile(session, rejects.get());
  if ((status == kExitSuccess || status == kExitRowsRejected) && !dryRun) created.keep();
  return status;
}

}  // namespace kpx::cli
