#include "package/dts/task_runs.h"

namespace kpx::dts {

void runExecuteSQL(const ExecuteSQLTask& task, StepRun& run) {
  data::DataSource& source = run.open.get(run.connections, task.ConnectionID);
  source.execute(task.SQLStatement);
}

}  // namespace kpx::dts
