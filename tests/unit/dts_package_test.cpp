#include <gtest/gtest.h>

#include "data/providers/memory/memory_provider.h"
#include "package/dts/package.h"
#include "support/pump_package.h"

using namespace kpx;
using namespace kpx::dts;

namespace {

// SQL tasks run on their connection; failures land on the step and fail the package.
class DtsSqlTask : public testing::Test {
 protected:
  void SetUp() override {
    data::MemoryProvider::reset();
    db = data::MemoryProvider::database("target");
    package.Name = "KPX Wizard IO";
    package.Connections.Add(test::makeConnection(data::MemoryProvider::kName, "target", 2));
  }
  void addSqlStep(const std::string& name, const std::string& sql, int32_t connection = 2) {
    auto step = package.NewStep();
    step->Name = name + "Step";
    auto task = package.NewTask(kExecuteSQLTaskClass);
    task->Name = name + "Task";
    auto custom = task->executeSQL();
    custom->Name = task->Name;
    custom->ConnectionID = connection;
    custom->SQLStatement = sql;
    step->TaskName = custom->Name;
    package.Steps.Add(step);
    package.Tasks.Add(task);
  }
  std::shared_ptr<data::MemoryDatabase> db;
  Package package;
};

TEST_F(DtsSqlTask, RunsTheStatementAndRaisesStartAndFinish) {
  addSqlStep("CreateTable", "CREATE TABLE `T` (`A` Long)");
  test::RecordingEvents events;
  package.Execute(&events);
  package.UnInitialize();
  EXPECT_EQ(db->executed, std::vector<std::string>{"CREATE TABLE `T` (`A` Long)"});
  EXPECT_EQ(events.log,
            (std::vector<std::string>{"start CreateTableStep", "finish CreateTableStep"}));
  const Step& step = *package.Steps.Item(1);
  EXPECT_EQ(step.ExecutionStatus, DTSStepExecStat_Completed);
  EXPECT_EQ(step.ExecutionResult, DTSStepExecResult_Success);
  EXPECT_EQ(step.GetExecutionErrorInfo().ErrorCode, 0);
}

TEST_F(DtsSqlTask, FailedStatementIsRecordedOnItsStepAndFailsThePackage) {
  db->onExecute = [](const std::string& sql) {
    if (sql.starts_with("delete")) throw data::DataError("The table 'Orders' is locked");
  };
  addSqlStep("DeleteRows", "delete from `Orders`");
  addSqlStep("Second", "select 1");
  addSqlStep("NoConnection", "select 2", 7);
  try {
    package.Execute();
    FAIL() << "a failed step fails the package";
  } catch (const DtsError& e) {
    EXPECT_EQ(e.number(), kErrPackageFailed);
    EXPECT_EQ(e.description(), "Package failed because Step 'DeleteRowsStep' failed.");
  }
  const auto& failed = package.Steps.Item("DeleteRowsStep")->GetExecutionErrorInfo();
  EXPECT_EQ(package.Steps.Item("DeleteRowsStep")->ExecutionResult, DTSStepExecResult_Failure);
  EXPECT_EQ(failed.ErrorCode, kErrStepFailed);
  EXPECT_EQ(failed.Source, kSourceExecuteSQL);
  EXPECT_EQ(failed.Description, "The table 'Orders' is locked");
  EXPECT_EQ(package.Steps.Item("SecondStep")->ExecutionResult, DTSStepExecResult_Success)
      << "later steps still run unless the package fails on the first error";
  const auto& noConnection = package.Steps.Item("NoConnectionStep")->GetExecutionErrorInfo();
  EXPECT_EQ(noConnection.ErrorCode, kErrNotFound);
  EXPECT_EQ(noConnection.Description, "The package has no connection with ID 7");

  package.FailOnError = true;
  EXPECT_THROW(package.Execute(), DtsError);
  EXPECT_EQ(package.Steps.Item("SecondStep")->ExecutionStatus, DTSStepExecStat_Waiting);
}

}  // namespace
