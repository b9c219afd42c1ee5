// LibreOffice as an independent reader and writer of spreadsheets in tests: converts a
// workbook to one CSV file per sheet, a CSV file to a workbook, and reads CSV files back.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace kpx::test {

using CsvRows = std::vector<std::vector<std::string>>;

// Parses a CSV file (comma, double quotes, UTF-8) into rows of fields.
CsvRows readCsvFile(const std::string& path);

// Converts every sheet of `workbook` with LibreOffice headless into `outDir`, using a
// private profile, and returns sheet name → rows. Empty when soffice is not installed.
std::map<std::string, CsvRows> libreOfficeSheets(const std::string& workbook, const std::string& outDir);

// Converts the CSV file `csv` with LibreOffice into a workbook of kind `extension` ("xls" for
// Excel 97, or "xlsx") in `outDir`; its one sheet is named after the CSV file. Returns the
// workbook's path; empty when soffice is not installed or the conversion failed.
std::string libreOfficeWorkbook(const std::string& csv, const std::string& extension, const std::string& outDir);

}  // namespace kpx::test
