#include "cli/transfer_run.h"

#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/interruption.h"
#include "cli/program_text.h"
#include "model/error_log_place.h"
#include "model/paths.h"
#include "package/destination_rows.h"
#include "package/execution_state.h"

namespace kpx::cli {
namespace {

std::string absolute(const std::string& path) {
  std::error_code ec;
  auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

}  // namespace

int runTransfer(Session& session, const std::string& destinationShown) {
  cKPXWizard& wizard = session.wizard();
  TransferSummary summary;
  const std::string configuredLog = errorLogFile(wizard.LogFilePath());
  summary.errorLog = absolute(errorLogFileInUse(wizard.LogFilePath()));
  if (summary.errorLog != absolute(configuredLog)) {
    session.err() << said(Said::LogFolderNotWritable, wizard.LogFilePath().c_str(),
                          summary.errorLog.c_str())
                  << std::endl;
  }
  const double startedAt = session.display().elapsedSeconds();

  summary.completed = interruptingSignal() == 0 && wizard.Execute();
  session.display().breakLine();

  summary.seconds = session.display().elapsedSeconds() - startedAt;
  // The pump's own counts: what it wrote and kept, and what it refused.
  summary.read = executionState().rowsRead;
  summary.written = executionState().rowsWritten;
  summary.rejected = executionState().rowsFailed;

  std::ostream& out = session.out();
  const bool dryRun = wizard.DryRun();
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", summary.seconds);
  out << summaryLabel(Said::RowsRead) << summary.read << "\n"
      << summaryLabel(dryRun ? Said::RowsToWrite : Said::RowsWritten) << summary.written << "\n"
      << summaryLabel(Said::RowsRejected) << summary.rejected << "\n"
      << summaryLabel(Said::Time) << ProgressDisplay::formatElapsed(summary.seconds) << " ("
      << seconds << ")\n"
      << summaryLabel(Said::ErrorLog) << summary.errorLog
      << (summary.rejected > 0 ? "" : said(Said::NoRowsRejected)) << std::endl;
  // The destination as the user named it, not the copy a rehearsal may have used.
  if (dryRun) out << said(Said::DryRunWroteNothing, destinationShown.c_str()) << std::endl;

  if (const int signal = interruptingSignal(); signal != 0 && !summary.completed) {
    session.err() << said(Said::StoppedBy)
                  << (signal == SIGINT    ? "Ctrl-C"
                      : signal == SIGTERM ? "SIGTERM"
                                          : said(Said::ASignal))
                  << said(Said::DestinationLeftAsItWas) << std::endl;
    return 128 + signal;
  }
  if (!summary.completed) {
    const std::string reason = session.reasonShown();
    session.err() << said(Said::TransferFailed) << (reason.empty() ? "" : ": " + reason)
                  << std::endl;
    return kExitFailure;
  }
  if (summary.rejected > 0) {
    session.err() << said(dryRun ? Said::RowsWouldBeRejected : Said::RowsWereRejected,
                          static_cast<long long>(summary.rejected), summary.errorLog.c_str())
                  << std::endl;
    return kExitRowsRejected;
  }
  return kExitSuccess;
}

void replaceDestinationRows(Session& session) {
  cKPXWizard& wizard = session.wizard();
  wizard.setReplaceDestinationRows(true);
  const clsConnection& destination = *wizard.Destination();
  if (destination.ConType() == CONN_TEXTFILE || DeleteDestinationRows(wizard)) return;
  const std::string reason = session.reasonShown();
  throw CliError(said(Said::CannotDeleteRows, destination.TableName().c_str(),
                      destination.Database().c_str()) +
                 (reason.empty() ? "" : ": " + reason));
}

}  // namespace kpx::cli
