// Real files for the window tests: numbered customers as a CSV file and as a table of a SQLite
// database, an empty destination database, and a saved configuration that copies either
// source into the destination, all in a fresh folder.
#pragma once
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "kpxwizard/wizard.h"

namespace kpx::test {

class WizardFiles {
 public:
  // `rows` customers (Id i, Name "Customer i", Amount i * 10 + 0.5), in the CSV under the
  // header "Id,Name,Amount" and in the table Customers of source.db.
  explicit WizardFiles(int rows = 3);

  std::string folder() const { return m_dir.path().toStdString() + "/"; }
  std::string csv() const { return folder() + "customers.csv"; }
  std::string sourceDatabase() const { return folder() + "source.db"; }
  std::string database() const { return folder() + "shop.db"; }

  enum class Source { Csv, SqliteTable };
  // A configuration that copies the customers into `table` of the destination database (a new
  // table when `newTable`), mapped column by column. Returns its path.
  std::string writeConfiguration(const std::string& table, bool newTable, int language = 0,
                                 Source source = Source::Csv) const;
  // Writes the section `section` ("SOURCE" or "DESTINATION") of the configuration `config`:
  // a table of a database (kind 1), a sheet of a workbook (3) or a text file (4) with a
  // header row, delimited by commas (`textFormat` 1) or of fixed width (2).
  static void writeConnection(const std::string& config, const std::string& section, int kind,
                              const std::string& database, const std::string& table,
                              bool newTable = false, int textFormat = 1);
  // Output of the sqlite3 program for `sql` on the destination database (or `db`).
  std::string sqlite(const std::string& sql) const { return sqliteOn(database(), sql); }
  static std::string sqliteOn(const std::string& db, const std::string& sql);

  // A wizard that writes its error log here.
  std::shared_ptr<cKPXWizard> wizard() const;

 private:
  QTemporaryDir m_dir;
};

}  // namespace kpx::test
