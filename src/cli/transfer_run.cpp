#include "cli/transfer_run.h"

#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/interruption.h"
#include "model/error_log_place.h"
#include "model/paths.h"
#include "package/execution_state.h"

namespace kpx::cli {
namespace {

std::string absolute(const std::string& path) {
  std::error_code ec;
  auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

}  // namespace

int runTransfer(Session& session) {
  cKPXWizard& wizard = session.wizard();
  TransferSummary summary;
  const std::string configuredLog = errorLogFile(wizard.LogFilePath());
  summary.errorLog = absolute(errorLogFileInUse(wizard.LogFilePath()));
  if (summary.errorLog != absolute(configuredLog)) {
    session.err() << "kpxwizard: the log folder '" << wizard.LogFilePath()
                  << "' cannot be written; rejected rows go to " << summary.errorLog << std::endl;
  }
  const double startedAt = session.display().elapsedSeconds();

  summary.completed = interruptingSignal() == 0 && wizard.Execute();
  session.display().breakLine();

  summary.seconds = session.display().elapsedSeconds() - startedAt;
  // The pump's own counts: what it wrote and kept, and what it refused.
  summary.written = executionState().rowsWritten;
  summary.rejected = executionState().rowsFailed;

  std::ostream& out = session.out();
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", summary.seconds);
  out << "Rows read:     " << summary.written + summary.rejected << "\n"
      << "Rows written:  " << summary.written << "\n"
      << "Rows rejected: " << summary.rejected << "\n"
      << "Time:          " << ProgressDisplay::formatElapsed(summary.seconds) << " (" << seconds
      << ")\n"
      << "Error log:     " << summary.errorLog
      << (summary.rejected > 0 ? "" : " (no rows rejected)") << std::endl;

  if (const int signal = interruptingSignal(); signal != 0 && !summary.completed) {
    session.err() << "kpxwizard: stopped by "
                  << (signal == SIGINT    ? "Ctrl-C"
                      : signal == SIGTERM ? "SIGTERM"
                                          : "a signal")
                  << "; the destination is left as it was" << std::endl;
    return 128 + signal;
  }
  if (!summary.completed) {
    const std::string reason = session.reasonShown();
    session.err() << "kpxwizard: the transfer failed" << (reason.empty() ? "" : ": " + reason)
                  << std::endl;
    return kExitFailure;
  }
  if (summary.rejected > 0) {
    session.err() << "kpxwizard: " << summary.rejected
                  << " row(s) were rejected; they are listed in " << summary.errorLog << std::endl;
    return kExitRowsRejected;
  }
  return kExitSuccess;
}

}  // namespace kpx::cli
