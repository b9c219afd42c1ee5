// The object a host creates: the whole description of one transfer (source, destination,
// column transformations, options), validated as connections are assigned, and the
// operations that show the wizard or run the transfer without a window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kpxwizard/connection.h"
#include "kpxwizard/export.h"
#include "kpxwizard/rejected_rows.h"
#include "kpxwizard/transformations.h"

namespace kpx {

class KPX_API cKPXWizard;
class clsPackage;
class clsTask;
class TaskEventSink;

// The outgoing events of a running transfer. Handlers run on the thread that called Execute.
class KPX_API WizardEventSink {
 public:
  virtual ~WizardEventSink() = default;
  virtual void OnStart(const std::string& /*EventSource*/) {}
  virtual void OnProgress(const std::string& /*EventSource*/,
                          const std::string& /*ProgressDescription*/, int32_t /*PercentComplete*/,
                          int32_t /*ProgressCountLow*/, int32_t /*ProgressCountHigh*/) {}
  virtual void OnFinish(const std::string& /*EventSource*/) {}
  // Set pbCancel to true to stop the transfer.
  virtual void OnQueryCancel(const std::string& /*EventSource*/, bool& /*pbCancel*/) {}
  virtual void OnError(const std::string& /*EventSource*/, int32_t /*ErrorCode*/,
                       const std::string& /*Source*/, const std::string& /*Description*/,
                       const std::string& /*HelpFile*/, int32_t /*HelpContext*/,
                       const std::string& /*IDofInterfaceWithError*/, bool& /*pbCancel*/) {}
};

// What ActivateWizard calls to show the windows; installed by the UI library when it loads.
using WizardWindowRunner = std::function<bool(cKPXWizard&)>;
KPX_API void registerWizardWindow(WizardWindowRunner runner);

class KPX_API cKPXWizard : public std::enable_shared_from_this<cKPXWizard> {
 public:
  // Creates a wizard with its defaults and makes it the current wizard (oWizard()).
  static std::shared_ptr<cKPXWizard> create();
  ~cKPXWizard();
  cKPXWizard(const cKPXWizard&) = delete;
  cKPXWizard& operator=(const cKPXWizard&) = delete;

  const std::string& AppName() const { return m_appName; }
  void setAppName(std::string v) { m_appName = std::move(v); }
  std::shared_ptr<clsConnection> Source() const { return m_source; }
  // Validates and assigns; raises -2147221503 "Parametri Connessione Non Corretti" when the
  // connection is not valid (Source is then empty) and -2147221502 "Attenzione:connessioni
  // uguali !" when it names the destination's database (Source is then the connection).
  void setSource(std::shared_ptr<clsConnection> connection);
  std::shared_ptr<clsConnection> Destination() const { return m_destination; }
  // As setSource, and -2147221501 when a table is to be created before a source is set.
  void setDestination(std::shared_ptr<clsConnection> connection);
  std::shared_ptr<clsTransformations> Transformations() const { return m_transformations; }
  void setTransformations(std::shared_ptr<clsTransformations> v) {
    m_transformations = std::move(v);
  }
  // 1 selects Italian, every other value English; stored as given.
  int32_t Language() const { return m_language; }
  void setLanguage(int32_t v) { m_language = v; }
  // Folder of the error log, always ending in a path separator.
  const std::string& LogFilePath() const { return m_logFilePath; }
  void setLogFilePath(const std::string& v);
  bool ReplaceDestinationRows() const { return m_replaceDestinationRows; }
  void setReplaceDestinationRows(bool v) { m_replaceDestinationRows = v; }
  int16_t CountCorrectImport() const { return m_countCorrectImport; }
  void setCountCorrectImport(int16_t v) { m_countCorrectImport = v; }
  bool AutoCloseWizard() const { return m_autoCloseWizard; }
  void setAutoCloseWizard(bool v) { m_autoCloseWizard = v; }
  bool AskCloseConfirmation() const { return m_askCloseConfirmation; }
  void setAskCloseConfirmation(bool v) { m_askCloseConfirmation = v; }
  bool LockSource() const { return m_lockSource; }
  // true needs a set source (else -2147221501, flag unchanged); false is ignored.
  void setLockSource(bool v);
  bool LockDestination() const { return m_lockDestination; }
  // Stores the value, then raises -2147221501 when true and no destination is set.
  void setLockDestination(bool v);
  bool ExecutedMapping() const { return m_executedMapping; }
  void setExecutedMapping(bool v) { m_executedMapping = v; }
  // Execute converts and checks every row, logs the rejected ones and counts what it would
  // write, then rolls the destination back. Not one of the automation properties.
  bool DryRun() const { return m_dryRun; }
  void setDryRun(bool v) { m_dryRun = v; }
  // Receives the rows Execute refuses (none when null). Not one of the automation properties.
  const std::shared_ptr<RejectedRowSink>& RejectedRows() const { return m_rejectedRows; }
  void setRejectedRows(std::shared_ptr<RejectedRowSink> v) { m_rejectedRows = std::move(v); }

  // Shows the wizard window modally; true once it has been closed.
  bool ActivateWizard();
  // Reads both connections' columns, creating a new destination table where asked.
  // 1 done, 0 nothing done, -1 failed, -5 wrong roles.
  int16_t BuildColumns(const std::shared_ptr<clsConnection>& ConnSource,
                       const std::shared_ptr<clsConnection>& ConnDest);
  // The same for the wizard window, whose Mapping grid, once shown (`gridDefinesTable`),
  // creates an asked-for table itself: the table is then described and left to the grid.
  int16_t BuildColumns(const std::shared_ptr<clsConnection>& ConnSource,
                       const std::shared_ptr<clsConnection>& ConnDest, bool gridDefinesTable);
  // Pairs source and destination columns by position into copy transformations.
  bool Mapping();
  // Builds and runs the transfer and reports its outcome.
  bool Execute();
  // Replaces the configuration from an INI file. False after message 541/542 when a stored
  // source or destination file is missing, or after the standard error report.
  bool LoadFromINIFile(const std::string& strFileIni);
  // Writes the configuration to an INI file (created when missing). False when a
  // transformation holds a "§" (message 543/544), or after the standard error report.
  bool SaveIntoINIFile(const std::string& strFileIni);
  // Drops the component's own reference (oWizard()).
  void CloseWizard();

  // Validates a connection before a Source or Destination put accepts it; shows the
  // message that says why it is refused.
  bool ControlConnection(clsConnection& connection);
  // The checks that need no table yet, for a connection being defined: its kind and
  // settings, that its data source opens (a SQL Server is not reached here) and, for a text
  // file, every check of ControlConnection. Shows the message that says why it is refused.
  bool ControlDataSource(clsConnection& connection);
  // The same checks for a connection loaded from a configuration file; a table missing from
  // the data source gives message 540 instead of 502.
  bool ControlConnectionInFileINI(clsConnection& connection);

  // Event subscription; the cookie identifies the subscription for unadvise.
  uint32_t advise(std::shared_ptr<WizardEventSink> sink);
  void unadvise(uint32_t cookie);
  // Raises an event to every subscriber (used by the transfer's event relay).
  void raiseOnStart(const std::string& eventSource);
  void raiseOnProgress(const std::string& eventSource, const std::string& description,
                       int32_t percent, int32_t countLow, int32_t countHigh);
  void raiseOnFinish(const std::string& eventSource);
  void raiseOnQueryCancel(const std::string& eventSource, bool& cancel);

 private:
  cKPXWizard();
  // ControlConnection with the message to show when the table is not in the data source.
  bool checkConnection(clsConnection& connection, int32_t missingTableMessage);
  // Fills the columns where needed and pairs them by position into copy transformations,
  // unless Transformations already holds any.
  bool SetTransformationsFromColumns(const std::shared_ptr<clsConnection>& src,
                                     const std::shared_ptr<clsConnection>& dst);
  // A fresh builder whose events reach this wizard's subscribers.
  std::shared_ptr<clsTask> newTask();

  std::string m_appName = "KPX WIZARD IO";
  std::shared_ptr<clsConnection> m_source = std::make_shared<clsConnection>();
  std::shared_ptr<clsConnection> m_destination = std::make_shared<clsConnection>();
  std::shared_ptr<clsTransformations> m_transformations = std::make_shared<clsTransformations>();
  int32_t m_language = kpxLanguageEnglish;
  std::string m_logFilePath;
  bool m_replaceDestinationRows = false;
  int16_t m_countCorrectImport = 0;
  bool m_autoCloseWizard = false;
  bool m_askCloseConfirmation = false;
  bool m_lockSource = false;
  bool m_lockDestination = false;
  bool m_executedMapping = false;
  bool m_dryRun = false;
  std::shared_ptr<RejectedRowSink> m_rejectedRows;
  std::vector<std::pair<uint32_t, std::shared_ptr<WizardEventSink>>> m_sinks;
  std::shared_ptr<clsPackage> m_package;
  std::shared_ptr<TaskEventSink> m_taskRelay;
  std::shared_ptr<clsTask> m_cTask;
  uint32_t m_nextCookie = 1;
};

// The current wizard: the one created last, until CloseWizard. May be null.
KPX_API std::shared_ptr<cKPXWizard> oWizard();

}  // namespace kpx
