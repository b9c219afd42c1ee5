#include "cli/missing_database.h"

#include <filesystem>
#include <ostream>

#include "cli/file_kind.h"
#include "cli/program_text.h"
#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "kpxwizard/automation_error.h"
#include "kpxwizard/enums.h"
#include "model/vb_conversions.h"

namespace kpx::cli {

namespace fs = std::filesystem;

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
  if (fs::exists(database, ec)) out << said(Said::CreatedDatabase, database) << std::endl;
}

}  // namespace kpx::cli
