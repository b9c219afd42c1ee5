#include "package/dts/package.h"

#include "package/dts/open_connections.h"
#include "package/dts/task_runs.h"

namespace kpx::dts {

Package::Package() : m_open(std::make_unique<OpenConnections>()) {}
Package::~Package() = default;

std::shared_ptr<Connection> Package::NewConnection(const std::string& providerName) const {
  auto connection = std::make_shared<Connection>();
  connection->ProviderName = providerName;
  return connection;
}

std::shared_ptr<Step> Package::NewStep() const {
  return std::make_shared<Step>();
}

std::shared_ptr<Task> Package::NewTask(const std::string& className) const {
  auto task = std::make_shared<Task>();
  if (sameName(className, kDataPumpTaskClass)) {
    task->CustomTask = std::make_shared<DataPumpTask>();
    task->CustomTaskID = kDataPumpTaskClass;
  } else if (sameName(className, kExecuteSQLTaskClass)) {
    task->CustomTask = std::make_shared<ExecuteSQLTask>();
    task->CustomTaskID = kExecuteSQLTaskClass;
  } else {
    throw DtsError(kErrInvalidClass, kSourcePackage,
                   "The task class '" + className + "' is not available; use '" +
                       kDataPumpTaskClass + "' or '" + kExecuteSQLTaskClass + "'");
  }
  return task;
}

namespace {

// Runs the step's task; what fails is recorded on the step, never thrown.
void runStep(Step& step, const DtsList<Task>& tasks, StepRun& run) {
  const char* source = kSourcePackage;
  try {
    const std::shared_ptr<Task> task = tasks.Find(step.TaskName);
    if (!task) {
      throw DtsError(kErrNotFound, kSourcePackage,
                     "The step '" + step.Name + "' runs the task '" + step.TaskName +
                         "', which the package does not hold");
    }
    if (auto pump = task->dataPump()) {
      source = kSourceDataPump;
      runDataPump(*pump, run);
    } else if (auto sql = task->executeSQL()) {
      source = kSourceExecuteSQL;
      runExecuteSQL(*sql, run);
    } else {
      throw DtsError(kErrInvalidClass, kSourcePackage,
                     "The task '" + task->Name + "' has no class-specific object");
    }
    step.ExecutionResult = DTSStepExecResult_Success;
  } catch (const DtsError& e) {
    step.ExecutionResult = DTSStepExecResult_Failure;
    step.ErrorInfo.ErrorCode = e.number();
    step.ErrorInfo.Source = e.source();
    step.ErrorInfo.Description = e.description();
  } catch (const std::exception& e) {
    step.ExecutionResult = DTSStepExecResult_Failure;
    step.ErrorInfo.ErrorCode = kErrStepFailed;
    step.ErrorInfo.Source = source;
    step.ErrorInfo.Description = e.what();
  }
}

}  // namespace

void Package::Execute(PackageEvents* events) {
  // A copy: a sink may change the package's lists while its events run.
  std::vector<std::shared_ptr<Step>> steps(Steps.begin(), Steps.end());
  for (const auto& step : steps) {
    step->ExecutionStatus = DTSStepExecStat_Waiting;
    step->ExecutionResult = DTSStepExecResult_Success;
    step->ErrorInfo = {};
  }
  std::shared_ptr<Step> failed;
  for (const auto& step : steps) {
    if (step->DisableStep) {
      step->ExecutionStatus = DTSStepExecStat_Inactive;
      continue;
    }
    step->ExecutionStatus = DTSStepExecStat_InProgress;
    if (events) events->OnStart(step->Name);
    StepRun run{Name, step->Name, events, Connections, *m_open};
    runStep(*step, Tasks, run);
    step->ExecutionStatus = DTSStepExecStat_Completed;
    if (step->CloseConnection) m_open->closeAll();
    if (events) events->OnFinish(step->Name);
    if (step->ExecutionResult == DTSStepExecResult_Failure) {
      if (!failed) failed = step;
      if (FailOnError || step->FailPackageOnError) break;
    }
  }
  if (failed) {
    throw DtsError(kErrPackageFailed, kSourcePackage,
                   "Package failed because Step '" + failed->Name + "' failed.");
  }
}

void Package::UnInitialize() {
  m_open->closeAll();
}

}  // namespace kpx::dts
