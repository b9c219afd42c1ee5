// A host that drives transfers through the public object model only: a wizard with a temporary
// folder for its files and error log, the events it receives, and connections as a host
// program would describe them.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"
#include "support/scratch.h"

namespace kpx::test {

// Counts the errors a host hears and may cancel at a chosen question.
class HostEvents : public WizardEventSink {
 public:
  void OnQueryCancel(const std::string&, bool& cancel) override {
    cancel = cancelAt > 0 && ++queries == cancelAt;
  }
  void OnError(const std::string&, int32_t, const std::string&, const std::string&,
               const std::string&, int32_t, const std::string&, bool&) override {
    ++errors;
  }

  int queries = 0;
  int cancelAt = 0;
  int errors = 0;
};

// Every box shown so far, for failure messages.
std::string shownBoxes(ScopedRecordingSink& sink);

class HeadlessTransfer : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string path(const std::string& name) const { return scratch.path(name); }
  // Output of the sqlite3 program for `sql` on `db`; a failing command fails the test.
  static std::string sqlite(const std::string& db, const std::string& sql,
                            const std::string& options = "") {
    return sqliteOutput(db, sql, options);
  }
  // "Id,Name,Amount" and `rows` rows; every `badEvery`-th amount is "n/a".
  std::string writeCsv(const std::string& name, int rows, int badEvery = 0);
  // A comma-delimited text file, CR LF rows, names in the first row.
  std::shared_ptr<clsConnection> csvSource(const std::string& file);
  std::shared_ptr<clsConnection> database(const std::string& file, const std::string& table,
                                          int32_t kind = CONN_ACCESS);
  // Host-made copy transformations between columns of equal names.
  void pairColumns(const std::vector<std::string>& names);

  std::shared_ptr<cKPXWizard> wizard;
  std::shared_ptr<HostEvents> events;
  ScratchFolder scratch;
  const std::filesystem::path& dir = scratch.dir();
};

}  // namespace kpx::test
