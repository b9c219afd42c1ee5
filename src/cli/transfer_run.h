// Runs the wizard's transfer with the progress display and prints the summary: rows read,
// written and rejected, the time taken and where the error log is.
#pragma once
#include "cli/session.h"

namespace kpx::cli {

// Counts of one run, as the data pump counted them.
struct TransferSummary {
  bool completed = false;
  int64_t read = 0;
  int64_t written = 0;
  int64_t rejected = 0;
  double seconds = 0;
  std::string errorLog;
};

// Executes the session's wizard and prints the summary to the session's output. Returns the
// exit status: 0 all rows written, 1 rows were rejected, 2 the run failed (with the reason).
// A dry run's summary counts the rows it would write and says that `destinationShown` (the
// destination as the user named it) was not written.
int runTransfer(Session& session, const std::string& destinationShown);

// For --replace: has the rows of the session's destination table deleted by the transfer that
// follows (a text destination is written new anyway). Throws CliError with the reason shown when
// they cannot be.
void replaceDestinationRows(Session& session);

}  // namespace kpx::cli
