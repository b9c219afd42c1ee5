// LibreOffice as an independent reader of spreadsheets in tests: converts a workbook to one
// CSV file per sheet and reads CSV files back.
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

}  // namespace kpx::test
