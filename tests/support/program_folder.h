// A folder for one test of the kpxwizard program: the file people.csv, a logs folder for the
// error log, copy runs in the folder, and the independent readers that check what they left.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/kpxwizard_program.h"
#include "support/scratch.h"

namespace kpx::test {

class ProgramFolder : public ::testing::Test {
 protected:
  ProgramFolder();

  std::string path(const std::string& name) const { return scratch.path(name); }
  // `kpxwizard ARGUMENTS` in the folder; `prefix` as runKpxwizard takes it.
  ProgramRun kpxwizard(const std::string& arguments, const std::string& prefix = {}) const {
    return runKpxwizard(arguments, dir.string(), prefix);
  }
  // `kpxwizard copy ARGUMENTS` in the folder, the error log in logs unless the arguments name
  // another log folder; `prefix` as runKpxwizard takes it.
  ProgramRun copy(std::string arguments, const std::string& prefix = {}) const;
  // What the sqlite3 program prints for `statement` on the folder's database `name`.
  std::string sql(const std::string& name, const std::string& statement) const;
  // The records of the folder's file `name` as Python's csv module reads them.
  std::string csvRows(const std::string& name, const std::string& delimiter = ",") const;
  std::string errorLog() const { return readFile(path("logs/KPXWIZARD_ERROR.txt")); }

  ScratchFolder scratch;
  const std::filesystem::path& dir = scratch.dir();
};

}  // namespace kpx::test
