#include <algorithm>
#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console_message_sink.h"
#include "cli/data_source_report.h"
#include "cli/file_connection.h"
#include "cli/help_text.h"
#include "cli/inferred_types.h"
#include "cli/text_options.h"
#include "config/mod_ini_api.h"
#include "kpxwizard/wizard.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;

bool isConfiguration(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext == ".ini";
}

// The source and destination of a configuration file, each reported on its own.
int inspectConfiguration(const std::string& config, bool json, std::ostream& out) {
  auto wizard = cKPXWizard::create();
  std::string combined = "{";
  bool first = true;
  for (const auto& [section, key, connection] :
       {std::tuple{"SOURCE", "source", wizard->Source()},
        std::tuple{"DESTINATION", "destination", wizard->Destination()}}) {
    const std::string keys = modINIApi::ReadINISectionKeys(config, section);
    if (keys.empty()) continue;
    LetPropertyClass(*connection, section, keys, config);
    FileKind kind = detectFileKind(connection->Database());
    kind.conType = connection->ConType();
    DataSourceReport report = inspectConnection(*connection, kind);
    if (json) {
      combined += (first ? "" : ", ") + std::string("\"") + key + "\": " + reportJson(report);
    } else {
      out << (first ? "" : "\n") << (std::string(key) == "source" ? "Source " : "Destination ");
      printReport(out, report);
    }
    first = false;
  }
  wizard->CloseWizard();
  if (first)
    throw CliError("kpxwizard inspect: '" + config +
                   "' has no SOURCE or DESTINATION section; is it a saved configuration?");
  if (json) out << combined << "}" << std::endl;
  return kExitSuccess;
}

}  // namespace

int commandInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  AcceptedOptions accepted;
  accepted.flags = {"--json", "--infer"};
  addTextOptions(accepted, false);
  const ParsedArguments parsed = parseArguments(args, accepted, "inspect");
  if (parsed.has("--help")) {
    out << kInspectHelp;
    return kExitSuccess;
  }
  if (parsed.positional.size() != 1)
    throw CliError(
        "kpxwizard inspect: give one file, as in 'kpxwizard inspect shop.db' (kpxwizard inspect "
        "--help)");
  const std::string path = parsed.positional[0];
  const bool server = isServerAddress(path);
  if (!server) requireFile(path, "kpxwizard inspect: the file", "check the path");

  ScopedMessageSink installed(std::make_shared<ConsoleMessageSink>(err, false));
  const bool json = parsed.has("--json");
  if (!server && isConfiguration(path)) return inspectConfiguration(path, json, out);

  const FileKind kind = detectFileKind(path);
  if (kind.conType == 0)
    throw CliError("kpxwizard inspect: cannot tell what kind of file '" + path +
                   "' is; give it one of the endings .csv .txt .tsv .xls .xlsx .htm .html .db "
                   ".sqlite .sqlite3 .mdb .accdb");
  const TextLayout layout = sourceLayout(parsed);
  if (kind.conType == CONN_TEXTFILE) err << encodingWarning(path, layout);
  auto wizard = cKPXWizard::create();
  auto connection = makeFileConnection(path, kind, kpxSource, layout);
  if (parsed.has("--infer")) {
    if (kind.conType != CONN_TEXTFILE || json)
      throw CliError(
          "kpxwizard inspect: --infer reads the rows of a text file and prints a line "
          "per column; '" +
          path + "' is not one, or --json was asked for");
    printInferredTypes(out, inferTextColumnTypes(*connection));
    wizard->CloseWizard();
    return kExitSuccess;
  }
  DataSourceReport report = inspectConnection(*connection, kind);
  wizard->CloseWizard();
  if (json)
    out << reportJson(report) << std::endl;
  else
    printReport(out, report);
  return kExitSuccess;
}

}  // namespace kpx::cli
