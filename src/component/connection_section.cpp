// Loading a connection from its section of a configuration file.
#include "component/configuration_file.h"
#include "config/mod_ini_api.h"
#include "kpxwizard/connection.h"
#include "kpxwizard/wizard.h"
#include "model/vb_conversions.h"

namespace kpx {

void LetPropertyClass(clsConnection& connection, const std::string& Section,
                      const std::string& strSectionKeys, const std::string& strFileIni) {
  const bool source = Section == "SOURCE";
  if ((!source && Section != "DESTINATION") || strSectionKeys.empty()) return;
  auto wizard = oWizard();
  std::shared_ptr<clsConnection> role = !wizard  ? nullptr
                                        : source ? wizard->Source()
                                                 : wizard->Destination();
  if (!role)
    throw AutomationError(
        91, "kpxwizard",
        "Object variable not set: no wizard connection to load section [" + Section + "] into");

  auto read = [&](const char* key, const std::string& fallback = "") {
    return modINIApi::ReadINIKey(strFileIni, Section, key, fallback);
  };
  // A conversion failure names the key and the file, so that the file can be corrected.
  auto converted = [&](const char* key, auto convert, const std::string& fallback = "") {
    try {
      return convert(read(key, fallback));
    } catch (const AutomationError& e) {
      throw AutomationError(e.number(), e.source(),
                            e.description() + " (key " + key + " of section [" + Section + "] in " +
                                strFileIni + ")");
    }
  };
  auto number = [](const std::string& v) { return vb::CLng(v); };
  auto small = [](const std::string& v) { return vb::CInt(v); };
  auto boolean = [](const std::string& v) { return vb::CBool(v); };

  StoredConnection stored;
  stored.conType = converted("TypeConnection", number);
  stored.providerString = read("Provider");
  stored.database = read("Database");
  stored.mode = converted("Mode", number);
  stored.id = converted("Id", small, std::to_string(role->id()));
  stored.modeText = converted("ModeText", small, std::to_string(role->ModeText()));
  stored.tableName = read("TableName");
  stored.tableType = converted("TableType", number);
  stored.createdDestinationTable = converted("CreatedDestinationTable", boolean);
  stored.user = read("User");
  stored.server = read("Server");
  std::string password = read("Password");
  stored.password = password.empty() ? password : modINIApi::DecodePassword(password);
  const std::string columnDelimiter = read("DelimiterColumn");
  const int32_t rowDelimiter = converted("DelimiterRow", number);
  stored.columnLengths = read("ColumnLengths");
  stored.columnNames = read("ColumnNames");
  const int16_t firstRow = converted("FirstRow", small);
  stored.formatFile = converted("TypeTextFile", number);
  stored.skipRows = converted("SkipRows", small);
  stored.textQualifier = read("TextQualifier");
  const bool lock = converted(source ? "LockSource" : "LockDestination", boolean);

  connection.assignStored(stored);
  connection.setTextEncoding(read(config::kEncoding));
  role->setColumnDelimiter(columnDelimiter);
  role->setRowDelimiter(rowDelimiter);
  role->setFirstRow(firstRow);
  if (source)
    wizard->setLockSource(lock);
  else
    wizard->setLockDestination(lock);
}

}  // namespace kpx
