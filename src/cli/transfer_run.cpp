#include "cli/transfer_run.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "cli/row_count.h"
#include "model/paths.h"

namespace kpx::cli {
namespace {

uintmax_t fileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

// Lines "Row n: …" the package appended to the error log after `offset`: one per failed row.
int64_t rowsLoggedSince(const std::string& path, uintmax_t offset) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  in.seekg(static_cast<std::streamoff>(offset));
  int64_t rows = 0;
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Row ", 0) == 0) ++rows;
  return rows;
}

std::string absolute(const std::string& path) {
  std::error_code ec;
  auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

}  // namespace


int runTransfer(Session& session) {
  cKPXWizard& wizard = session.wizard();
  TransferSummary summary;
  summary.errorLog = absolute(errorLogFile(wizard.LogFilePath()));
  const auto destination = wizard.Destination();
  // A text destination is replaced by the run; a table keeps its rows and gains new ones.
  const bool replacedFile = destination->ConType() == CONN_TEXTFILE;
  const int64_t before = replacedFile ? 0 : countRows(*destination);
  const uintmax_t logOffset = fileSize(summary.errorLog);
  const double startedAt = session.display().elapsedSeconds();

  summary.completed = wizard.Execute();
  session.display().breakLine();

  summary.seconds = session.display().elapsedSeconds() - startedAt;
  const int64_t after = countRows(*destination);
  summary.written = after < 0 || before < 0 ? -1 : after - before;
  summary.rejected = rowsLoggedSince(summary.errorLog, logOffset);

  std::ostream& out = session.out();
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", summary.seconds);
  const auto count = [](int64_t n) { return n < 0 ? std::string("unknown") : std::to_string(n); };
  out << "Rows read:     " << (summary.written < 0 ? "unknown" : count(summary.written + summary.rejected)) << "\n"
      << "Rows written:  " << count(summary.written) << "\n"
      << "Rows rejected: " << summary.rejected << "\n"
      << "Time:          " << ProgressDisplay::formatElapsed(summary.seconds) << " (" << seconds << ")\n"
      << "Error log:     " << summary.errorLog << (summary.rejected > 0 ? "" : " (no rows rejected)") << std::endl;

  if (!summary.completed) {
    const std::string reason = session.reasonShown();
    session.err() << "kpxwizard: the transfer failed" << (reason.empty() ? "" : ": " + reason) << std::endl;
    return kExitFailure;
  }
  if (summary.rejected > 0) {
    session.err() << "kpxwizard: " << summary.rejected << " row(s) were rejected; they are listed in "
                  << summary.errorLog << std::endl;
    return kExitRowsRejected;
  }
  return kExitSuccess;
}

}  // namespace kpx::cli
