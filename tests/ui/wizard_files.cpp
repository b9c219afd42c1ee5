#include "wizard_files.h"

#include <QTest>
#include <fstream>

#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "support/command_output.h"

namespace kpx::test {

WizardFiles::WizardFiles(int rows) {
  std::ofstream csvFile(csv(), std::ios::binary);
  csvFile << "Id,Name,Amount\n";
  for (int i = 1; i <= rows; ++i) csvFile << i << ",Customer " << i << "," << i * 10 << ".5\n";
  csvFile.close();
  sqliteOn(sourceDatabase(),
           "CREATE TABLE Customers (Id INTEGER, Name TEXT, Amount REAL); "
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
               std::to_string(rows) +
               ") INSERT INTO Customers SELECT i, 'Customer ' || i, i * 10 + 0.5 FROM n");
  modDatabase::CreaDataBase(database());
}

std::string WizardFiles::writeConfiguration(const std::string& table, bool newTable, int language,
                                            Source source) const {
  const std::string path = folder() + "transfer.ini";
  std::ofstream(path, std::ios::binary)
      << "[LANGUAGE]\nLanguage=" << language
      << "\n[EXIT]\nAskCloseConfirmation=False\nAutoCloseWizard=False\n[TRANSFORMATIONS]\n"
      << "TRANSFORMATION1=1§tra1Id§§0§Id§Id\nTRANSFORMATION2=2§tra2Name§§0§Name§Name\n"
      << "TRANSFORMATION3=3§tra3Amount§§0§Amount§Amount\n";
  if (source == Source::Csv)
    writeConnection(path, "SOURCE", CONN_TEXTFILE, csv(), csv());
  else
    writeConnection(path, "SOURCE", CONN_ACCESS, sourceDatabase(), "Customers");
  writeConnection(path, "DESTINATION", CONN_ACCESS, database(), table, newTable);
  return path;
}

void WizardFiles::writeConnection(const std::string& config, const std::string& section, int kind,
                                  const std::string& database, const std::string& table,
                                  bool newTable, int textFormat) {
  const bool text = kind == CONN_TEXTFILE, source = section == "SOURCE";
  const std::pair<std::string, std::string> keys[] = {
      {"TypeConnection", std::to_string(kind)},
      {"Provider", text ? "DTSFlatFile" : "Microsoft.Jet.OLEDB.4.0"},
      {"Database", database},
      {"Mode", source ? "1" : "2"},
      {"Id", source ? "1" : "2"},
      {"ModeText", source ? "1" : "3"},
      {"TableName", table},
      {"TableType", "2"},
      {"CreatedDestinationTable", newTable ? "True" : "False"},
      {"DelimiterColumn", text ? "," : ""},
      {"DelimiterRow", text ? "6" : "0"},
      {"FirstRow", text ? "-1" : "0"},
      {"TypeTextFile", text ? std::to_string(textFormat) : "0"},
      {"SkipRows", "0"},
      {"TextQualifier", text ? "\"" : ""},
      {source ? "LockSource" : "LockDestination", "False"}};
  for (const auto& [key, value] : keys) modINIApi::WriteINIKey(config, section, key, value);
}

std::string WizardFiles::sqliteOn(const std::string& db, const std::string& sql) {
  int status = 0;
  const std::string out =
      commandOutput("sqlite3 " + shellQuote(db) + " " + shellQuote(sql) + " 2>&1", &status);
  if (status != 0) QTest::qFail(("sqlite3 failed: " + out).c_str(), __FILE__, __LINE__);
  return out;
}

std::shared_ptr<cKPXWizard> WizardFiles::wizard() const {
  auto wizard = cKPXWizard::create();
  wizard->setLogFilePath(folder());
  return wizard;
}

}  // namespace kpx::test
