#include <filesystem>
#include <future>
#include <optional>
#include <ostream>

#include "cli/catalog_tables.h"
#include "cli/column_pairing.h"
#include "cli/column_reading.h"
#include "cli/commands.h"
#include "cli/created_table_guard.h"
#include "cli/file_connection.h"
#include "cli/help_text.h"
#include "cli/inferred_types.h"
#include "cli/program_text.h"
#include "cli/rejects_file.h"
#include "cli/saved_run_options.h"
#include "cli/scratch_destination.h"
#include "cli/session.h"
#include "cli/single_select.h"
#include "cli/staged_new_file.h"
#include "cli/text_options.h"
#include "cli/transfer_run.h"
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "data/providers/file_replacement.h"
#include "data/providers/provider.h"
#include "kpxwizard/automation_error.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;

const char* const kKnownEndings =
    ".csv .txt .tsv .xls .xlsx .htm .html .db .sqlite .sqlite3 .mdb .accdb";

AcceptedOptions copyOptions() {
  AcceptedOptions accepted;
  accepted.withValue = {"--from-table", "--query", "--to-table", "--save", "--rejects"};
  accepted.flags = {"--create", "--replace", "--by-name", "--dry-run", "--infer-types"};
  addTextOptions(accepted, true);
  addSessionOptions(accepted);
  return accepted;
}

FileKind kindOf(const std::string& path, bool source) {
  FileKind kind = detectFileKind(path);
  if (kind.conType == 0)
    throw CliError(
        said(source ? Said::UnknownSourceKind : Said::UnknownDestinationKind, path, kKnownEndings));
  return kind;
}

// Assigns a connection to the wizard; a refused one ends the command with the reason shown.
void assign(Session& session, const std::shared_ptr<clsConnection>& connection, bool asSource,
            const std::string& path) {
  try {
    if (asSource)
      session.wizard().setSource(connection);
    else
      session.wizard().setDestination(connection);
  } catch (const AutomationError& e) {
    const std::string reason = session.reasonShown();
    throw CliError(said(asSource ? Said::SourceCannotBeUsed : Said::DestinationCannotBeUsed,
                        path.c_str(), (reason.empty() ? e.description() : reason).c_str()));
  }
}

// The name a new destination table takes when --to-table is not given: the source table's
// (a worksheet's without its "$"), the text file's name, or "Risultati" for a query.
std::string newTableName(const clsConnection& source) {
  if (source.TableType() == kpxTypeQuery) return "Risultati";
  if (source.ConType() == CONN_TEXTFILE) return modMain::TakeNameTable(source.Database());
  std::string name = source.TableName();
  if (name.size() > 1 && name.back() == '$') name.pop_back();
  return name;
}

std::shared_ptr<clsConnection> prepareSource(Session& session, const ParsedArguments& args,
                                             const TextLayout& layout) {
  const std::string path = args.positional[0];
  // A missing file or a folder is named as such before its kind is guessed from its name.
  if (!isServerAddress(path))
    requireFile(path, said(Said::TheSourceFile), said(Said::CheckThePath));
  const FileKind kind = kindOf(path, true);
  if (kind.conType == CONN_TEXTFILE) {
    if (args.hasValue("--query")) throw CliError(said(Said::TextReadWhole, path));
    // Its one table is named as inspect lists it; the path given names it too.
    if (args.hasValue("--from-table") && args.value("--from-table") != path)
      chooseTable({{fs::path(path).filename().string(), "TABLE"}}, args.value("--from-table"), path,
                  "--from-table");
    auto source = makeFileConnection(path, kind, kpxSource, layout);
    // Only a new table's column types (long text for long values) and a text destination's
    // columns come from a scan of every value; an existing table needs the names alone.
    source->setColumnsFromHeader(!args.has("--create") && !args.has("--infer-types") &&
                                 detectFileKind(args.positional[1]).conType != CONN_TEXTFILE);
    assign(session, source, true, path);
    return source;
  }
  if (args.hasValue("--query") && args.hasValue("--from-table"))
    throw CliError(said(Said::TableOrQuery));
  if (args.hasValue("--query")) requireOneSelect(args.value("--query"));
  std::shared_ptr<clsConnection> source;
  if (args.hasValue("--query")) {
    source = makeFileConnection(path, kind, kpxSource, layout, args.value("--query"), kpxTypeQuery);
  } else {
    auto probe = makeFileConnection(path, kind, kpxSource, layout);
    const std::string table =
        chooseTable(listTables(*probe, kind), args.value("--from-table"), path, "--from-table");
    source = makeFileConnection(path, kind, kpxSource, layout, table);
  }
  assign(session, source, true, path);
  return source;
}

// `target` is the file written: the destination named, or a dry run's scratch copy of it.
std::shared_ptr<clsConnection> prepareDestination(Session& session, const ParsedArguments& args,
                                                  const TextLayout& layout,
                                                  const std::string& target) {
  const std::string path = args.positional[1];
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw CliError(said(Said::DestinationIsADirectory, path));
  const FileKind kind = kindOf(path, false);
  const bool create = args.has("--create");
  if (kind.conType == CONN_HTML_SOURCE) throw CliError(said(Said::HtmlIsReadOnly, path));
  if (kind.accessFile) throw CliError(said(Said::AccessIsReadOnly, path));
  const bool exists = kind.conType == CONN_SQLServer || fs::exists(path, ec);
  if (kind.conType == CONN_TEXTFILE && exists && !args.has("--replace"))
    throw CliError(said(Said::TextFileWouldBeReplaced, path));
  try {
    if (kind.conType != CONN_SQLServer)
      kpx::data::checkReplaceable(path,
                                  kind.conType == CONN_TEXTFILE ? "text file" : "destination");
  } catch (const kpx::data::DataError& e) {
    throw CliError(std::string("kpxwizard copy: ") + e.what());
  }
  if (kind.conType != CONN_TEXTFILE && !exists) {
    if (!create) throw CliError(said(Said::DestinationMissing, path));
    if (kind.conType == CONN_ACCESS) {
      modDatabase::CreaDataBase(target);
      if (!fs::exists(target, ec)) throw CliError(said(Said::CannotCreateDatabase, path));
      if (!args.has("--dry-run")) session.out() << said(Said::CreatedDatabase, path) << std::endl;
    }
  }
  if (kind.conType == CONN_TEXTFILE) {
    auto destination = makeFileConnection(target, kind, kpxDestination, layout);
    assign(session, destination, false, path);
    return destination;
  }
  std::string table;
  if (create) {
    table = args.hasValue("--to-table") ? args.value("--to-table")
                                        : newTableName(*session.wizard().Source());
  } else {
    auto probe = makeFileConnection(target, kind, kpxDestination, layout);
    table = chooseTable(listTables(*probe, kind), args.value("--to-table"), path, "--to-table");
  }
  auto destination = makeFileConnection(target, kind, kpxDestination, layout, table);
  destination->setCreatedDestinationTable(create);
  assign(session, destination, false, path);
  return destination;
}

}  // namespace

int commandCopy(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedArguments parsed = parseArguments(args, copyOptions(), "copy");
  if (parsed.has("--help")) {
    out << kCopyHelp;
    return kExitSuccess;
  }
  if (parsed.positional.size() != 2) throw CliError(said(Said::GiveSourceAndDestination));
  const TextLayout layout = destinationLayout(parsed);
  const bool dryRun = parsed.has("--dry-run");
  if (dryRun && parsed.hasValue("--save")) throw CliError(said(Said::DryRunCannotSave));

  Session session(out, err, parsed);
  cKPXWizard& wizard = session.wizard();
  wizard.setDryRun(dryRun);
  const TextLayout read = sourceLayout(parsed);
  // Whether a text source holds bytes that are not UTF-8 takes a pass over the whole file, as
  // does the reading of its columns while the source is prepared: the two passes overlap.
  const std::string& from = parsed.positional[0];
  std::future<std::string> encodingCheck;
  if (!isServerAddress(from) && detectFileKind(from).conType == CONN_TEXTFILE)
    encodingCheck =
        std::async(std::launch::async, [from, read] { return encodingWarning(from, read); });
  auto source = prepareSource(session, parsed, read);
  if (source->ConType() == CONN_TEXTFILE)
    err << (encodingCheck.valid() ? encodingCheck.get()
                                  : encodingWarning(source->Database(), read));
  // Text files are written in UTF-8 only; an encoding for a destination would be ignored.
  if (source->ConType() != CONN_TEXTFILE && !read.encoding.empty())
    throw CliError(said(Said::EncodingOfATextSource));
  const std::string& named = parsed.positional[1];
  // Creating a table or deleting rows happens before the rows flow, outside the transaction a
  // dry run rolls back, so a database destination is rehearsed on a copy.
  std::optional<ScratchDestination> scratch;
  std::error_code ec;
  const int32_t namedKind = detectFileKind(named).conType;
  const bool prepares = parsed.has("--create") || parsed.has("--replace");
  if (dryRun && prepares && namedKind == CONN_SQLServer)
    throw CliError(said(Said::DryRunIntoSqlServer));
  if (dryRun && prepares && namedKind != CONN_TEXTFILE && !fs::is_directory(named, ec))
    scratch.emplace(named);
  // A new database or workbook is made in a temporary folder until the run has finished.
  std::optional<StagedNewFile> staged;
  if (!dryRun && parsed.has("--create") && namedKind != CONN_SQLServer &&
      namedKind != CONN_TEXTFILE)
    staged.emplace(named);
  auto destination = prepareDestination(session, parsed, layout,
                                        scratch  ? scratch->path()
                                        : staged ? staged->path()
                                                 : named);
  std::optional<InferredNewTableTypes> inferred;
  if (parsed.has("--infer-types")) {
    if (source->ConType() != CONN_TEXTFILE || !parsed.has("--create") ||
        destination->ConType() == CONN_TEXTFILE)
      throw CliError(said(Said::InferTypesUse));
    inferred.emplace(*source, out, !parsed.hasValue("--save"));
  }
  readColumns(session);
  const CreatedTableGuard createdTable(
      parsed.has("--create") && destination->ConType() == CONN_SQLServer ? destination : nullptr);

  if (pairColumns(wizard, parsed.has("--by-name"),
                  destination->FormatFile() == kpxFixedFile ? layout.widths : std::vector<int>{}) ==
      0)
    throw CliError(std::string(said(Said::NoColumnMatches)) +
                   (parsed.has("--by-name") ? said(Said::PairedByPosition) : ""));
  out << unpairedColumnsNote(wizard) << std::flush;
  if (parsed.has("--replace")) replaceDestinationRows(session);

  const auto rejects = openRejectsFile(session, parsed);
  const int status = runTransfer(session, named);
  finishRejectsFile(session, rejects.get());
  const bool finished = status == kExitSuccess || status == kExitRowsRejected;
  if (finished && staged) {
    staged->keep();
    destination->setDatabase(named);
    destination->CreateConnectionString();
  }
  if (finished) createdTable.keep();
  if (!parsed.hasValue("--save")) return status;
  const std::string config = parsed.value("--save");
  if (!finished) {
    err << said(Said::ConfigurationNotSaved, config.c_str()) << std::endl;
    return status;
  }
  // The table exists now: running the saved transfer appends to it.
  destination->setCreatedDestinationTable(false);
  if (!wizard.SaveIntoINIFile(config))
    throw CliError(said(Said::CannotSaveConfiguration, config,
                        session.reasonShown().empty() ? "" : ": " + session.reasonShown()));
  saveRunOptions(parsed, config);
  out << said(Said::SavedConfiguration, config.c_str(), config.c_str()) << std::endl;
  return status;
}

}  // namespace kpx::cli
