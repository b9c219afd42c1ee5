// The package: options, connections, steps and tasks, and the run that executes the steps
// in order on the caller's thread. This engine stands where the DTS object library stood.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "package/dts/connection.h"
#include "package/dts/option_values.h"
#include "package/dts/package_events.h"
#include "package/dts/step.h"
#include "package/dts/tasks.h"

namespace kpx::dts {

class OpenConnections;

class Package {
 public:
  Package();
  ~Package();
  Package(const Package&) = delete;
  Package& operator=(const Package&) = delete;

  // Options. Only Name and FailOnError change what a run does; the rest are kept as set.
  std::string Name;
  std::string Description;
  bool WriteCompletionStatusToNTEventLog = false;
  bool FailOnError = false;  // true: the first failed step ends the run
  int32_t PackagePriorityClass = kPriorityClassNormal;
  int32_t MaxConcurrentSteps = kMaxConcurrentSteps;
  int32_t LineageOptions = 0;
  bool UseTransaction = true;
  int32_t TransactionIsolationLevel = kIsolationReadCommitted;
  bool AutoCommitTransaction = true;
  int32_t RepositoryMetadataOptions = 0;
  bool UseOLEDBServiceComponents = true;
  bool LogToSQLServer = false;
  int32_t LogServerFlags = 0;
  bool FailPackageOnLogFailure = false;
  bool ExplicitGlobalVariables = false;
  int32_t PackageType = 0;

  DtsList<Connection> Connections;
  DtsList<Step> Steps;
  DtsList<Task> Tasks;

  // A new connection of that provider, not yet added.
  std::shared_ptr<Connection> NewConnection(const std::string& providerName) const;
  // A new step, not yet added.
  std::shared_ptr<Step> NewStep() const;
  // A new task of class "DTSDataPumpTask" or "DTSExecuteSQLTask" with its class-specific
  // object, not yet added; DtsError kErrInvalidClass for another class.
  std::shared_ptr<Task> NewTask(const std::string& className) const;

  // Runs every step that is not disabled, in list order, raising the events on `events`
  // (may be null) on this thread. Each step ends with ExecutionStatus 4 and ExecutionResult
  // 0 or 1, a failed one with its error information. When a step failed, raises
  // DtsError kErrPackageFailed "Package failed because Step '<name>' failed." after the run
  // (after that step when FailOnError is set). Connections stay open until UnInitialize.
  void Execute(PackageEvents* events = nullptr);

  // Releases what the last run holds open (its connections); call after every Execute.
  void UnInitialize();

 private:
  std::unique_ptr<OpenConnections> m_open;
};

}  // namespace kpx::dts
