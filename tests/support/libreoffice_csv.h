// LibreOffice as an independent reader of spreadsheets in tests: converts a workbook to one
// CSV file per sheet and reads CSV files back.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace kpx::test {

using CsvRows = std::vector<std::vector<std::string>>;

// CSV (comma, double quotes, UTF-8) in a file or a text, as Python's csv module reads it into
// rows of fields.
CsvRows readCsvFile(const std::string& path);
CsvRows parseCsv(const std::string& text);

// The rows with every number written one way, so that numbers compare by value whatever the
// form a program printed them in ("1", "1.0", "1.0000").
CsvRows canonicalNumbers(CsvRows rows);

// Whether the soffice program is installed; tests that need it skip when it is not.
bool haveLibreOffice();

// Converts every sheet of `workbook` with LibreOffice headless into `outDir`, using a
// private profile, and returns sheet name → rows. A workbook LibreOffice cannot read fails
// the running test (and gives no sheets). `inputFilter` names the import filter for a file
// LibreOffice would not open as a spreadsheet ("HTML (StarCalc)"). With `asShown` numbers and
// dates are written as their cells' formats show them, else in one plain form.
std::map<std::string, CsvRows> libreOfficeSheets(const std::string& workbook,
                                                 const std::string& outDir,
                                                 const std::string& inputFilter = {},
                                                 bool asShown = false);

}  // namespace kpx::test
