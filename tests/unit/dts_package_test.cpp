#include <gtest/gtest.h>

#include "data/providers/memory/memory_provider.h"
#include "package/dts/package.h"
#include "support/pump_package.h"

using namespace kpx;
using namespace kpx::dts;

namespace {

TEST(DtsLists, LookUpAndRemoveByNameAndPosition) {
  Package package;
  for (const char* name : {"Alpha", "Beta", "Alpha"}) {
    auto connection = package.NewConnection("Microsoft.Jet.OLEDB.4.0");
    connection->Name = name;
    connection->ID = package.Connections.Count() + 1;
    package.Connections.Add(connection);
  }
  EXPECT_EQ(package.Connections.Count(), 3);
  EXPECT_EQ(package.Connections.Item("alpha")->ID, 1) << "the first of two of one name, case ignored";
  EXPECT_EQ(package.Connections.Item(2)->Name, "Beta");
  EXPECT_EQ(package.Connections.Find("Gamma"), nullptr);
  try {
    package.Connections.Item(4);
    FAIL();
  } catch (const DtsError& e) {
    EXPECT_EQ(e.number(), kErrNotFound);
  }
  EXPECT_THROW(package.Connections.Remove("Gamma"), DtsError);

  package.Connections.Remove("ALPHA");
  EXPECT_EQ(package.Connections.Item(1)->Name, "Beta");
  EXPECT_EQ(package.Connections.Item("Alpha")->ID, 3);
  package.Connections.Remove(1);
  std::vector<int32_t> ids;
  for (const auto& connection : package.Connections) ids.push_back(connection->ID);
  EXPECT_EQ(ids, std::vector<int32_t>{3});
}

TEST(DtsLists, PropertySetReplacesInPlaceAndReadsAsText) {
  PropertySet set;
  set.Set("Data Source", std::string("a.csv"));
  set.Set("Mode", int32_t{3});
  set.Set("First Row Column Name", true);
  set.Set("data source", std::string("b.csv"));
  ASSERT_EQ(set.Count(), 3);
  EXPECT_EQ(set.begin()->Name, "Data Source");
  EXPECT_EQ(set.Text("DATA SOURCE"), "b.csv");
  EXPECT_EQ(set.Text("Mode"), "3");
  EXPECT_EQ(set.Text("First Row Column Name"), "True");
  EXPECT_EQ(set.Text("Missing"), "");
  EXPECT_TRUE(set.Remove("mode"));
  EXPECT_FALSE(set.Remove("mode"));
}

TEST(DtsObjects, NewMakesTheClassesByName) {
  Package package;
  EXPECT_NE(package.NewTask("dtsdatapumptask")->dataPump(), nullptr);
  auto sql = package.NewTask("DTSExecuteSQLTask");
  EXPECT_NE(sql->executeSQL(), nullptr);
  EXPECT_EQ(sql->dataPump(), nullptr);
  EXPECT_EQ(sql->CustomTaskID, "DTSExecuteSQLTask");
  try {
    package.NewTask("DTSBulkInsertTask");
    FAIL();
  } catch (const DtsError& e) {
    EXPECT_EQ(e.number(), kErrInvalidClass);
    EXPECT_NE(e.description().find("DTSBulkInsertTask"), std::string::npos);
  }

  TransformationList list;
  auto script = list.New("DTSPump.DataPumpTransformScript");
  EXPECT_EQ(script->ClassName(), kScriptTransformationClass);
  EXPECT_EQ(script->TransformServerProperties.Text("Language"), "VBScript");
  EXPECT_EQ(script->TransformServerProperties.Text("FunctionEntry"), "Main");
  EXPECT_EQ(script->TransformServerProperties.Text("Text"), "");
  EXPECT_EQ(list.New("DTS.DataPumpTransformCopy")->ClassName(), kCopyTransformationClass);
  EXPECT_THROW(list.New("DTS.DataPumpTransformUpperString"), DtsError);
}

TEST(DtsConnection, ProviderPropertiesComeFromFieldsThenThePropertySet) {
  Connection server;
  server.ProviderName = "SQLOLEDB";
  server.DataSource = "db01";
  server.Catalog = "Sales";
  server.UserID = "sa";
  server.Password = "pw";
  const auto serverProperties = providerProperties(server);
  EXPECT_EQ(serverProperties.value("Provider"), "SQLOLEDB");
  EXPECT_EQ(serverProperties.value("Data Source"), "db01");
  EXPECT_EQ(serverProperties.value("Initial Catalog"), "Sales");
  EXPECT_EQ(serverProperties.value("User ID"), "sa");
  EXPECT_EQ(serverProperties.value("Password"), "pw");
  EXPECT_FALSE(serverProperties.has("Integrated Security"));
  server.UseTrustedConnection = true;
  EXPECT_EQ(providerProperties(server).value("Integrated Security"), "SSPI");

  Connection text;
  text.ProviderName = "DTSFlatFile";
  text.DataSource = "/data/in.csv";
  text.ConnectionProperties.Set("Skip Rows", int32_t{0});
  text.ConnectionProperties.Set("Row Delimiter", std::string("\r\n"));
  text.ConnectionProperties.Set("First Row Column Name", std::string("True"));
  text.ConnectionProperties.Set("Data Source", std::string("/data/other.csv"));
  const auto textProperties = providerProperties(text);
  EXPECT_EQ(textProperties.value("Data Source"), "/data/other.csv") << "the property set wins over the field";
  EXPECT_EQ(textProperties.value("Row Delimiter"), "\r\n");
  EXPECT_EQ(textProperties.value("Skip Rows"), "0");
  EXPECT_FALSE(textProperties.has("User ID"));
}

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
  EXPECT_EQ(events.log, (std::vector<std::string>{"start CreateTableStep", "finish CreateTableStep"}));
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

TEST_F(DtsSqlTask, StepWithoutItsTaskFails) {
  auto step = package.NewStep();
  step->Name = "Lonely";
  step->TaskName = "Nowhere";
  package.Steps.Add(step);
  EXPECT_THROW(package.Execute(), DtsError);
  EXPECT_EQ(step->ErrorInfo.Description, "The step 'Lonely' runs the task 'Nowhere', which the package does not hold");
}

}  // namespace
