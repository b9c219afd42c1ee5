#include "support/libreoffice_csv.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kpx::test {

CsvRows readCsvFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string s = ss.str();
  CsvRows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (quoted) {
      if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      any = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (any || !field.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::map<std::string, CsvRows> libreOfficeSheets(const std::string& workbook, const std::string& outDir) {
  namespace fs = std::filesystem;
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) return {};
  fs::create_directories(outDir);
  std::string profile = "file://" + (fs::temp_directory_path() / "kpx-test-lo-profile").string();
  // Sheet -1 writes every sheet to its own file, NAME-SHEET.csv.
  std::string cmd = "soffice -env:UserInstallation=" + profile +
                    " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1'"
                    " --outdir '" + outDir + "' '" + workbook + "' >/dev/null 2>&1";
  std::map<std::string, CsvRows> sheets;
  if (std::system(cmd.c_str()) != 0) return sheets;
  std::string stem = fs::path(workbook).stem().string() + "-";
  for (const auto& entry : fs::directory_iterator(outDir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(stem, 0) == 0 && entry.path().extension() == ".csv")
      sheets[name.substr(stem.size(), name.size() - stem.size() - 4)] = readCsvFile(entry.path().string());
  }
  return sheets;
}

}  // namespace kpx::test
