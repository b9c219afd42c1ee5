// The program's own lines (the summary, the progress, what a run ends with and the notes on
// column pairing) in English and Italian, as --lang chooses.
#pragma once
#include <cstdio>
#include <string>

namespace kpx::cli {

enum class Said {
  RowsRead,
  RowsWritten,
  RowsRejected,
  Time,
  ErrorLog,
  NoRowsRejected,
  RowsCopied,  // "%lld rows copied, %.0f rows/s, "
  Elapsed,
  Started,
  Finished,
  TransferFailed,
  RowsWereRejected,  // "%lld row(s) were rejected; they are listed in %s"
  StoppedBy,
  DestinationLeftAsItWas,
  SourceColumnsLeftOut,
  DestinationColumnsLeftEmpty,
  LogFolderNotWritable,  // "the log folder '%s' cannot be written; rejected rows go to %s"
  ColumnsOfSource,       // the path
  ColumnsOfNewTable,     // the table, the database
  ColumnsOfTable,        // the table, the database
  SourceCannotBeUsed,    // the path, the reason
  DestinationCannotBeUsed,
  NoColumnMatches,
  PairedByPosition,
  CannotDeleteRows,  // the table, the database
  CreatedDatabase,   // the path
  SavedConfiguration,
  ConfigurationNotSaved,
  QualifierIsDelimiter,  // the qualifier, the path
  QueryNotOneSelect,     // the query, why
  DoesNotStartWithSelect,
  MoreThanOneStatement,
  MatchedTransformations,  // their number
  RowsToWrite,
  RowsWouldBeRejected,  // "%lld row(s) would be rejected; they are listed in %s"
  DryRunWroteNothing,   // the destination
};

// Whether the program speaks Italian; English until set.
void setProgramItalian(bool italian);
bool programItalian();

// The text of `what` in the program's language.
const char* said(Said what);
// `what` filled in with printf-style arguments (numbers and C strings).
template <typename... Arguments>
std::string said(Said what, Arguments... arguments) {
  const int size = std::snprintf(nullptr, 0, said(what), arguments...);
  std::string text(static_cast<size_t>(size < 0 ? 0 : size) + 1, '\0');
  std::snprintf(text.data(), text.size(), said(what), arguments...);
  text.pop_back();
  return text;
}

// A summary line: `label` padded so that the values of every line of a summary line up.
std::string summaryLabel(Said label);

}  // namespace kpx::cli
