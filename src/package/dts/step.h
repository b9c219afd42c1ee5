// A package step: runs one task (by name) and records how that went.
#pragma once
#include <cstdint>
#include <string>

namespace kpx::dts {

// Execution status of a step.
enum StepExecStatus : int32_t {
  DTSStepExecStat_Waiting = 1,
  DTSStepExecStat_InProgress = 2,
  DTSStepExecStat_Inactive = 3,
  DTSStepExecStat_Completed = 4,
};

// Execution result of a completed step.
enum StepExecResult : int32_t { DTSStepExecResult_Success = 0, DTSStepExecResult_Failure = 1 };

// What a failed step reports.
struct StepErrorInfo {
  int32_t ErrorCode = 0;
  std::string Source;
  std::string Description;
  std::string HelpFile;
  int32_t HelpContext = 0;
  std::string IDofInterfaceWithError;
};

struct Step {
  std::string Name;
  std::string Description;
  std::string TaskName;  // the task of the package's task list this step runs
  int32_t ExecutionStatus = DTSStepExecStat_Waiting;
  int32_t ExecutionResult = DTSStepExecResult_Success;
  bool CommitSuccess = false;
  bool RollbackFailure = false;
  std::string ScriptLanguage = "VBScript";
  bool AddGlobalVariables = true;
  int32_t RelativePriority = 3;
  bool CloseConnection = false;  // close the task's connections when the step ends
  bool ExecuteInMainThread = false;
  bool IsPackageDSORowset = false;
  bool JoinTransactionIfPresent = false;
  bool DisableStep = false;  // a disabled step does not run
  bool FailPackageOnError = false;

  // The error of the last run when it failed; a zero ErrorCode otherwise.
  StepErrorInfo ErrorInfo;
  const StepErrorInfo& GetExecutionErrorInfo() const { return ErrorInfo; }
};

}  // namespace kpx::dts
