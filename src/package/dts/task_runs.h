// How the tasks of a step run: what a task needs from the package while it runs.
#pragma once
#include <string>

#include "package/dts/open_connections.h"
#include "package/dts/package_events.h"
#include "package/dts/tasks.h"

namespace kpx::dts {

struct StepRun {
  std::string packageName;
  std::string stepName;
  PackageEvents* events = nullptr;  // may be null
  const DtsList<Connection>& connections;
  OpenConnections& open;
};

// Runs the statement on the task's connection; throws what fails.
void runExecuteSQL(const ExecuteSQLTask& task, StepRun& run);

// Copies the rows as the pump describes (data_pump.cpp); throws what ends the run, after
// rolling the destination back.
void runDataPump(DataPumpTask& pump, StepRun& run);

}  // namespace kpx::dts
