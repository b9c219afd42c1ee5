#include "wizard_files.h"

#include <QTest>
#include <fstream>

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
  std::ofstream ini(path, std::ios::binary);
  ini << "[LANGUAGE]\nLanguage=" << language
      << "\n[EXIT]\nAskCloseConfirmation=False\nAutoCloseWizard=False\n";
  if (source == Source::Csv)
    ini << "[SOURCE]\nTypeConnection=4\nProvider=DTSFlatFile\nDatabase=" << csv()
        << "\nMode=1\nId=1\nModeText=1\n"
        << "TableName=" << csv()
        << "\nTableType=2\nCreatedDestinationTable=False\nUser=\nServer=\nPassword=\n"
        << "DelimiterColumn=,\nDelimiterRow=6\nColumnLengths=\nColumnNames=\nFirstRow=-"
           "1\nTypeTextFile=1\n"
        << "SkipRows=0\nTextQualifier=\"\nLockSource=False\n";
  else
    ini << "[SOURCE]\nTypeConnection=1\nProvider=Microsoft.Jet.OLEDB.4.0\nDatabase="
        << sourceDatabase()
        << "\nMode=1\nId=1\nModeText=1\nTableName=Customers\nTableType=2\nCreatedDestinationTable="
           "False\n"
        << "User=\nServer=\nPassword=\nDelimiterColumn=\nDelimiterRow=0\nColumnLengths="
           "\nColumnNames=\n"
        << "FirstRow=0\nTypeTextFile=0\nSkipRows=0\nTextQualifier=\nLockSource=False\n";
  ini << "[DESTINATION]\nTypeConnection=1\nProvider=Microsoft.Jet.OLEDB.4.0\nDatabase="
      << database() << "\nMode=2\nId=2\nModeText=3\nTableName=" << table
      << "\nTableType=2\nCreatedDestinationTable=" << (newTable ? "True" : "False")
      << "\nUser=\nServer=\nPassword=\nDelimiterColumn=\nDelimiterRow=0\n"
      << "ColumnLengths=\nColumnNames=\nFirstRow=0\nTypeTextFile=0\nSkipRows=0\nTextQualifier=\n"
      << "LockDestination=False\n[TRANSFORMATIONS]\n"
      << "TRANSFORMATION1=1§tra1Id§§0§Id§Id\nTRANSFORMATION2=2§tra2Name§§0§Name§Name\n"
      << "TRANSFORMATION3=3§tra3Amount§§0§Amount§Amount\n";
  return path;
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
