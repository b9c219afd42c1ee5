#include "support/libreoffice_csv.h"

#include "support/scratch.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace kpx::test {

CsvRows readCsvFile(const std::string& path) {
  return parseCsv(readFile(path));
}

CsvRows parseCsv(const std::string& s) {
  CsvRows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (quoted) {
      if (c == '"' && i + 1 < s.size() && s[i + 1] == '"')
        field += '"', ++i;
      else if (c == '"')
        quoted = false;
      else
        field += c;
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

CsvRows canonicalNumbers(CsvRows rows) {
  for (auto& row : rows) {
    for (auto& field : row) {
      char* end = nullptr;
      const double d = std::strtod(field.c_str(), &end);
      if (field.empty() || *end != '\0') continue;
      std::ostringstream out;
      out.precision(15);
      out << d;
      field = out.str();
    }
  }
  return rows;
}

namespace fs = std::filesystem;

bool haveLibreOffice() {
  return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

namespace {

// Runs soffice with `arguments`. Test programs run in parallel and share one profile, which
// two LibreOffice processes cannot use at once: a lock file takes them in turn.
bool runLibreOffice(const std::string& arguments) {
  const fs::path profile = fs::temp_directory_path() / "kpx-test-lo-profile";
  const std::string lockPath = profile.string() + ".lock";
  const int lock = ::open(lockPath.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  if (lock >= 0) ::flock(lock, LOCK_EX);
  const std::string cmd = "soffice -env:UserInstallation=file://" + profile.string() +
                          " --headless " + arguments + " >/dev/null 2>&1";
  const bool ok = std::system(cmd.c_str()) == 0;
  if (lock >= 0) ::close(lock);
  return ok;
}

}  // namespace

std::map<std::string, CsvRows> libreOfficeSheets(const std::string& workbook,
                                                 const std::string& outDir,
                                                 const std::string& inputFilter, bool asShown) {
  if (!haveLibreOffice()) return {};
  fs::create_directories(outDir);
  std::map<std::string, CsvRows> sheets;
  // Sheet -1 writes every sheet to its own file, NAME-SHEET.csv.
  if (!runLibreOffice((inputFilter.empty() ? "" : "--infilter='" + inputFilter + "' ") +
                      "--convert-to 'csv:Text - txt - csv "
                      "(StarCalc):44,34,76,1,,0,false,true," +
                      (asShown ? "true" : "false") +
                      ",false,false,-1'"
                      " --outdir '" +
                      outDir + "' '" + workbook + "'")) {
    ADD_FAILURE() << "LibreOffice could not convert " << workbook;
    return sheets;
  }
  std::string stem = fs::path(workbook).stem().string() + "-";
  for (const auto& entry : fs::directory_iterator(outDir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(stem, 0) == 0 && entry.path().extension() == ".csv")
      sheets[name.substr(stem.size(), name.size() - stem.size() - 4)] =
          readCsvFile(entry.path().string());
  }
  if (sheets.empty()) ADD_FAILURE() << "LibreOffice read no sheet from " << workbook;
  return sheets;
}

}  // namespace kpx::test
