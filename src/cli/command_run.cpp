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
#include "cli/saved_run_options.h"
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

// Loading matches the saved transformations to the columns the component reads, and for a text
// source those are the text file's own even when the destination is an existing table: the
// match fails with a message and the transformations are dropped. Such a configuration is loaded
// without them, and they are matched afterwards against the tables themselves.
bool transformationsNeedTheTables(const std::string& config) {
  const auto kindOf = [&](const char* section) {
    return modINIApi::ReadINIKey(config, section, "TypeConnection", "");
  };
  const std::string text = std::to_string(CONN_TEXTFILE);
  return kindOf("SOURCE") == text && kindOf("DESTINATION") != text && !createsTable(config);
}

}  // namespace

int commandRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  AcceptedOptions accepted;
  accepted.flags = {"--dry-run"};
  accepted.withValue = {"--rejects"};
  addSessionOptions(accepted);
  const ParsedArguments given = parseArguments(args, accepted, "run");
  if (given.has("--help")) {
    out << kRunHelp;
    return kExitSuccess;
  }
  if (given.positional.size() != 1) throw CliError(said(Said::GiveOneConfiguration));
  const std::string named = given.positional[0];
  requireFile(named, said(Said::TheConfigurationFile, "run"),
              said(Said::SaveAConfiguration, named));

  // The options the copy was saved with apply unless the command line gives its own.
  const ParsedArguments parsed = withSavedRunOptions(given, named);
  Session session(out, err, parsed);
  cKPXWizard& wizard = session.wizard();
  const bool dryRun = parsed.has("--dry-run");
  wizard.setDryRun(dryRun);
  const int32_t language = wizard.Language();
  const std::string database = modINIApi::ReadINIKey(named, "DESTINATION", "Database", "");
  const CreatedFileGuard created(database);
  // A configuration that creates its table or replaces its rows is rehearsed on copies of itself
  // and its database, as the table is made (and the rows deleted) before the rows flow, outside
  // the transaction a dry run rolls back.
  std::optional<ScratchDestination> scratch;
  std::string config = named;
  if (dryRun && !database.empty() && detectFileKind(database).conType != CONN_TEXTFILE &&
      (createsTable(named) || parsed.has("--replace"))) {
    scratch.emplace(database);
    config = (fs::path(scratch->folder()) / fs::path(named).filename()).string();
    std::error_code ec;
    if (!fs::copy_file(named, config, ec))
      throw CliError(said(Said::CannotCopyForDryRun, named, ec.message()));
    modINIApi::WriteINIKey(config, "DESTINATION", "Database", scratch->path());
  }
  std::ostringstream rehearsalNotes;
  createMissingDestinationDatabase(config, scratch ? rehearsalNotes : out);
  std::optional<ScratchDestination> withoutTransformations;
  if (transformationsNeedTheTables(config)) {
    withoutTransformations.emplace(config);
    modINIApi::DeleteSection(withoutTransformations->path(), "TRANSFORMATIONS");
  }
  if (!wizard.LoadFromINIFile(withoutTransformations ? withoutTransformations->path() : config)) {
    const std::string reason = session.reasonShown();
    throw CliError(
        said(Said::CannotLoadConfiguration, "run", named, reason.empty() ? "" : ": " + reason));
  }
  // The command line's language wins over the file's.
  if (parsed.hasValue("--lang")) wizard.setLanguage(language);
  setProgramItalian(wizard.Language() == kpxLanguageItalian);
  for (const auto& [notValid, connection] :
       {std::pair{Said::SourceNotValid, wizard.Source()},
        std::pair{Said::DestinationNotValid, wizard.Destination()}}) {
    if (connection && !connection->Database().empty() && connection->ConType() > 0) continue;
    const std::string reason = session.reasonShown();
    throw CliError(said(notValid, named,
                        reason.empty() ? std::string(said(Said::SectionMissing)) : ": " + reason));
  }
  // Transformations left out of the loading, or dropped by it, are matched to the tables' columns.
  if (wizard.Transformations()->Count() == 0 &&
      !modINIApi::ReadINISectionKeys(config, "TRANSFORMATIONS").empty()) {
    const int32_t restored = restoreTransformations(session, config);
    out << said(Said::MatchedTransformations, static_cast<int>(restored)) << std::endl;
  }
  if (parsed.has("--replace")) replaceDestinationRows(session);
  const auto rejects = openRejectsFile(session, parsed);
  const int status = runTransfer(session, database);
  finishRejectsFile(session, rejects.get());
  if ((status == kExitSuccess || status == kExitRowsRejected) && !dryRun) created.keep();
  return status;
}

}  // namespace kpx::cli
