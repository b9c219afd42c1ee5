// Loading a connection from its section of a configuration file.
#include "config/mod_ini_api.h"
#include "kpxwizard/connection.h"
#include "kpxwizard/wizard.h"
#include "model/vb_conversions.h"

namespace kpx {

void clsConnection::LetPropertyClass(const std::string& Section, const std::string& strSectionKeys,
                                     const std::string& strFileIni) {
  const bool source = Section == "SOURCE";
  if ((!source && Section != "DESTINATION") || strSectionKeys.empty()) return;
  auto wizard = oWizard();
  std::shared_ptr<clsConnection> role = !wizard ? nullptr : source ? wizard->Source() : wizard->Destination();
  if (!role)
    throw AutomationError(91, "kpxwizard",
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
                            e.description() + " (key " + key + " of section [" + Section + "] in " + strFileIni + ")");
    }
  };
  auto number = [](const std::string& v) { return vb::CLng(v); };
  auto small = [](const std::string& v) { return vb::CInt(v); };
  auto boolean = [](const std::string& v) { return vb::CBool(v); };

  m_conType = converted("TypeConnection", number);
  m_providerString = read("Provider");
  m_database = read("Database");
  m_mode = converted("Mode", number);
  m_id = converted("Id", small, std::to_string(role->id()));
  m_modeText = converted("ModeText", small, std::to_string(role->ModeText()));
  m_tableName = read("TableName");
  m_tableType = converted("TableType", number);
  m_createdDestinationTable = converted("CreatedDestinationTable", boolean);
  m_user = read("User");
  m_server = read("Server");
  std::string password = read("Password");
  m_password = password.empty() ? password : modINIApi::DecodePassword(password);
  role->setColumnDelimiter(read("DelimiterColumn"));
  role->setRowDelimiter(converted("DelimiterRow", number));
  m_columnLengths = read("ColumnLengths");
  m_columnNames = read("ColumnNames");
  role->setFirstRow(converted("FirstRow", small));
  m_formatFile = converted("TypeTextFile", number);
  m_skipRows = converted("SkipRows", small);
  m_textQualifier = read("TextQualifier");
  if (source)
    wizard->setLockSource(converted("LockSource", boolean));
  else
    wizard->setLockDestination(converted("LockDestination", boolean));
}

}  // namespace kpx
