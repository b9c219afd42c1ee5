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
  GivenTwice,
  NeedsAValue,
  TakesNoValue,
  UnknownOption,
  UnknownCommand,
  ErrorNumber,
  IsADirectory,
  DoesNotExist,
  TheSourceFile,
  TheConfigurationFile,
  CheckThePath,
  SaveAConfiguration,
  CannotOpenAs,
  CheckTheServer,
  CheckTheFile,
  HoldsNoTable,
  HoldsSeveralTables,
  HasNoTable,
  NoTables,
  UnknownSourceKind,
  UnknownDestinationKind,
  TextReadWhole,
  TableOrQuery,
  DestinationIsADirectory,
  HtmlIsReadOnly,
  AccessIsReadOnly,
  TextFileWouldBeReplaced,
  DestinationMissing,
  CannotCreateDatabase,
  GiveSourceAndDestination,
  DryRunCannotSave,
  EncodingOfATextSource,
  DryRunIntoSqlServer,
  InferTypesUse,
  CannotSaveConfiguration,
  GiveOneConfiguration,
  CannotCopyForDryRun,
  CannotLoadConfiguration,
  SourceNotValid,
  DestinationNotValid,
  SectionMissing,
  TransformationColumnMissing,
  AtMostOneConfiguration,
  NoWizardWindow,
  WindowCannotOpen,
  DelimiterNotOneCharacter,
  QualifierNotOneCharacter,
  WidthNotANumber,
  UnknownEncoding,
  NotUtf8,
  HeaderOrNoHeader,
  YesOrNo,
  UnknownLanguage,
  LogFolderMissing,
  BusyTimeoutNotANumber,
  WaitingForDatabase,
  LockedByProcess,
  LockedByAnotherProgram,
  CannotWriteRejects,
  CannotMakeDryRunFolder,
  AnsweredYes,
  AnsweredNo,
  ASignal,
  CannotInferTypes,
  RejectsOnlyInLog,
  SqlServerAddressWrong,
  NamesNoUser,
  HoldsAPassword,
  NamesNoServer,
  PortNotANumber,
  NamesNoDatabase,
  NoPassword,
  PasswordPrompt,
  KindAccess,
  KindSqlite,
  KindSqlServer,
  KindWorkbook,
  KindText,
  KindHtml,
  KindUnknown,
};

// Whether the program speaks Italian; English until set.
void setProgramItalian(bool italian);
bool programItalian();

// The text of `what` in the program's language.
const char* said(Said what);
// Strings are handed to the printf-style texts as C strings; numbers as they are.
inline const char* printable(const std::string& text) {
  return text.c_str();
}
template <typename Value>
Value printable(Value value) {
  return value;
}

// `what` filled in with printf-style arguments (numbers, C strings and strings).
template <typename... Arguments>
std::string said(Said what, const Arguments&... arguments) {
  const int size = std::snprintf(nullptr, 0, said(what), printable(arguments)...);
  std::string text(static_cast<size_t>(size < 0 ? 0 : size) + 1, '\0');
  std::snprintf(text.data(), text.size(), said(what), printable(arguments)...);
  text.pop_back();
  return text;
}

// A summary line: `label` padded so that the values of every line of a summary line up.
std::string summaryLabel(Said label);

}  // namespace kpx::cli
