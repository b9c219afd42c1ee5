#include <filesystem>
#include <ostream>

#include "cli/column_reading.h"
#include "cli/commands.h"
#include "cli/created_file_guard.h"
#include "cli/file_kind.h"
#include "cli/help_text.h"
#include "cli/session.h"
#include "cli/transfer_run.h"
#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "kpxwizard/automation_error.h"
#include "model/vb_conversions.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;

// A configuration that asks for a new table in a SQLite database that does not exist yet:
// the database is made first, as the connection dialog's New button would.
void createMissingDestinationDatabase(const std::string& config, std::ostream& out) {
  using modINIApi::ReadINIKey;
  const std::string kind = ReadINIKey(config, "DESTINATION", "TypeConnection", "");
  const std::string created = ReadINIKey(config, "DESTINATION", "CreatedDestinationTable", "");
  const std::string database = ReadINIKey(config, "DESTINATION", "Database", "");
  // The keys read as the configuration loader reads them; a value it would refuse asks for nothing.
  bool wanted = false;
  try {
    wanted = vb::CLng(kind) == CONN_ACCESS && vb::CBool(created);
  } catch (const AutomationError&) {
  }
  if (!wanted || database.empty()) return;
  std::error_code ec;
  if (fs::exists(database, ec) || detectFileKind(database).accessFile) return;
  const fs::path folder = fs::path(database).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);
  modDatabase::CreaDataBase(database);
  if (fs::exists(database, ec)) out << "Created the SQLite database " << database << std::endl;
}

}  // namespace

int commandRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  AcceptedOptions accepted;
  addSessionOptions(accepted);
  const ParsedArguments parsed = parseArguments(args, accepted, "run");
  if (parsed.has("--help")) {
    out << kRunHelp;
    return kExitSuccess;
  }
  if (parsed.positional.size() != 1)
    throw CliError("kpxwizard run: give one configuration file, as in 'kpxwizard run CONFIG.ini' (kpxwizard run --help)");
  const std::string config = parsed.positional[0];
  std::error_code ec;
  if (!fs::is_regular_file(config, ec))
    throw CliError("kpxwizard run: the configuration file '" + config +
                   "' does not exist; save one with 'kpxwizard copy … --save " + config + "' or the wizard");

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
  for (const auto& [role, connection] : {std::pair{"source", wizard.Source()}, std::pair{"destination", wizard.Destination()}}) {
    if (connection && !connection->Database().empty() && connection->ConType() > 0) continue;
    const std::string reason = session.reasonShown();
    throw CliError("kpxwizard run: the " + std::string(role) + " in '" + config + "' is not valid" +
                   (reason.empty() ? std::string(" (its section is missing or empty)") : ": " + reason) +
                   "; check its Database, TypeConnection and TableName");
  }
  // A saved copy from a text file into an existing table keeps its transformations by column
  // name; when loading could not match them to the columns it read, they are matched again
  // against the tables themselves.
  if (wizard.Transformations()->Count() == 0 && !modINIApi::ReadINISectionKeys(config, "TRANSFORMATIONS").empty()) {
    const int32_t restored = restoreTransformations(session, config);
    out << "Matched " << restored << " saved column transformation(s) to the tables' columns" << std::endl;
  }
  const int status = runTransfer(session);
  if (status == kExitSuccess || status == kExitRowsRejected) created.keep();
  return status;
}

}  // namespace kpx::cli
