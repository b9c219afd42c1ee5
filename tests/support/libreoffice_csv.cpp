#include "support/libreoffice_csv.h"

#include "support/command_output.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

namespace kpx::test {

CsvRows readCsvFile(const std::string& path) {
  // Python's csv module reads the records and writes them back with a unit separator between
  // fields and a record separator after each record.
  const std::string out = commandOutput(
      "python3 -c " +
      shellQuote("import csv,sys; sys.stdout.buffer.write(''.join('\x1f'.join(r) + '\x1e' for r in "
                 "csv.reader(open(sys.argv[1], newline='', encoding='utf-8', "
                 "errors='surrogateescape'))).encode('utf-8', 'surrogateescape'))") +
      " " + shellQuote(path));
  CsvRows rows(1);
  std::string field;
  for (char c : out) {
    if (c != '\x1f' && c != '\x1e') {
      field += c;
      continue;
    }
    rows.back().push_back(std::move(field));
    field.clear();
    if (c == '\x1e') rows.emplace_back();
  }
  rows.pop_back();
  return rows;
}

CsvRows parseCsv(const std::string& text) {
  char name[] = "/tmp/kpx_csv_XXXXXX";
  const int fd = ::mkstemp(name);
  const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
  if (fd >= 0) ::close(fd);
  EXPECT_TRUE(written) << "no temporary file for the CSV text";
  CsvRows rows = written ? readCsvFile(name) : CsvRows{};
  std::remove(name);
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
