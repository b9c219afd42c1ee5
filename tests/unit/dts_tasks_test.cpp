// A package's tasks run on in-memory databases: SQL statements, and the data pump with its
// events and failed rows; the script of a constant column read or refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "data/providers/memory/memory_provider.h"
#include "package/dts/constant_script.h"
#include "package/dts/package.h"
#include "support/pump_package.h"

using namespace kpx;
using namespace kpx::dts;
using data::ColumnInfo;
using data::StoredValue;
using data::Value;

namespace {

// Source "Orders" (Id, Name, Qty as text) in one in-memory database, destination "Copy"
// (Code, Name, Qty as a non-null integer, Id) in another; a Qty of "bad" cannot be written.
class DtsPump : public testing::Test {
 protected:
  void SetUp() override {
    data::MemoryProvider::reset();
    source = data::MemoryProvider::database("source");
    target = data::MemoryProvider::database("target");
    source->addTable("Orders", {{"Id", data::adInteger, 0, 0},
                                {"Name", data::adVarWChar, 50, data::adColNullable},
                                {"Qty", data::adVarWChar, 10, data::adColNullable}});
    target->addTable("Copy", {{"Code", data::adVarWChar, 10, data::adColNullable},
                              {"Name", data::adVarWChar, 50, data::adColNullable},
                              {"Qty", data::adInteger, 0, 0},
                              {"Id", data::adInteger, 0, data::adColNullable}});
    exceptionFile = testing::TempDir() + "dts_pump_" +
                    testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::filesystem::remove(exceptionFile);
    package = test::makePumpPackage(test::makeConnection(data::MemoryProvider::kName, "source", 1),
                                    test::makeConnection(data::MemoryProvider::kName, "target", 2),
                                    "Orders", "Copy", exceptionFile);
    auto& pump = test::pumpOf(*package);
    test::addCopy(pump, "tra1Id", "Id", "Id");
    test::addCopy(pump, "tra2Name", "NAME", "Name");
    test::addCopy(pump, "tra3Qty", "Qty", "Qty");
    test::addConstant(pump, "tra4", "Code", "K7");
  }

  // Rows 1..count, Name "N<i>", Qty "<i>" or "bad" where `bad(i)`.
  template <class Bad>
  void fillSource(int count, Bad bad) {
    auto& rows = source->findTable("Orders")->rows;
    for (int i = 1; i <= count; ++i) {
      const std::string name = "N" + std::to_string(i);
      const std::string qty = bad(i) ? "bad" : std::to_string(i);
      rows.push_back({StoredValue(Value::fromInt(i)), StoredValue(Value::fromString(name)),
                      StoredValue(Value::fromString(qty))});
    }
  }
  void fillSource(int count) {
    fillSource(count, [](int) { return false; });
  }

  std::vector<std::string> targetRows() {
    std::vector<std::string> out;
    for (const auto& row : target->findTable("Copy")->rows) {
      std::string line;
      for (size_t i = 0; i < row.size(); ++i) {
        if (i) line += "|";
        data::appendText(row[i].view(), line);
      }
      out.push_back(line);
    }
    return out;
  }

  // What the destination says of a Qty of "bad".
  static std::string badQtyDescription() {
    return "The value 'bad' does not convert to the type of column 'Qty'";
  }

  std::shared_ptr<data::MemoryDatabase> source, target;
  std::unique_ptr<Package> package;
  std::string exceptionFile;
};

TEST_F(DtsPump, ReportsProgressEveryThousandRowsAndAsksToCancel) {
  fillSource(2500);
  test::RecordingEvents events;
  package->Execute(&events);
  const std::string step = "TrasformationStep_Execute";
  EXPECT_EQ(events.log,
            (std::vector<std::string>{"start " + step, "progress " + step + " 40% 1000/0",
                                      "cancel? " + step, "progress " + step + " 80% 2000/0",
                                      "cancel? " + step, "finish " + step}));
  // Columns are found by name whatever their case, constants fill theirs.
  const auto rows = targetRows();
  ASSERT_EQ(rows.size(), 2500u);
  EXPECT_EQ(rows[1], "K7|N2|2|2");
  EXPECT_FALSE(std::filesystem::exists(exceptionFile)) << "a clean run writes no exception file";
}

// Each failed row takes one line of the file, its line breaks made blanks, and raises an error
// event; past the limit the run fails.
TEST_F(DtsPump, PastTheErrorLimitTheRunRollsBackAndTheFileKeepsGrowing) {
  fillSource(3000, [](int i) { return i % 20 == 0; });
  source->findTable("Orders")->rows[19][1] = StoredValue(Value::fromString("two\r\nlines"));
  test::RecordingEvents events;
  EXPECT_THROW(package->Execute(&events), DtsError);
  package->UnInitialize();
  const Step& step = *package->Steps.Item(1);
  EXPECT_EQ(step.ExecutionResult, DTSStepExecResult_Failure);
  const StepErrorInfo error = step.GetExecutionErrorInfo();
  EXPECT_EQ(events.log[1], "error TrasformationStep_Execute " + std::to_string(kErrRowFailed) +
                               " Row 20: " + badQtyDescription());
  EXPECT_EQ(error.ErrorCode, kErrTooManyRowErrors);
  EXPECT_EQ(error.Source, kSourceDataPump);
  EXPECT_EQ(error.Description,
            "The number of failing rows exceeds the maximum of 100 (data pump "
            "'TrasformationTask_Execute'); nothing "
            "was written to 'Copy'");
  EXPECT_TRUE(target->findTable("Copy")->rows.empty());
  EXPECT_EQ(events.errors, 101);

  auto lines = test::crlfLines(exceptionFile);
  ASSERT_EQ(lines.size(), 1u + 101u + 1u);
  EXPECT_TRUE(std::regex_match(
      lines[0],
      std::regex(
          R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Package 'KPX Wizard IO', step 'TrasformationStep_Execute')")))
      << lines[0];
  EXPECT_EQ(lines[1], "Row 20: " + badQtyDescription() + "|20|two  lines|bad");
  EXPECT_EQ(lines[101], "Row 2020: " + badQtyDescription() + "|2020|N2020|bad");
  EXPECT_EQ(lines[102],
            "The run failed and its open transaction was rolled back: " + error.Description);

  // A second run appends below the first.
  EXPECT_THROW(package->Execute(), DtsError);
  lines = test::crlfLines(exceptionFile);
  ASSERT_EQ(lines.size(), 2u * 103u);
  EXPECT_NE(lines[103].find(" Package 'KPX Wizard IO', step 'TrasformationStep_Execute'"),
            std::string::npos);
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

TEST_F(DtsSqlTask, EachStepRunsItsStatementAndAFailedOneFailsThePackage) {
  db->onExecute = [](const std::string& sql) {
    if (sql.starts_with("delete")) throw data::DataError("The table 'Orders' is locked");
  };
  addSqlStep("DeleteRows", "delete from `Orders`");
  addSqlStep("Second", "CREATE TABLE `T` (`A` Long)");
  addSqlStep("NoConnection", "select 2", 7);
  test::RecordingEvents events;
  try {
    package.Execute(&events);
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
  EXPECT_EQ(db->executed,
            (std::vector<std::string>{"delete from `Orders`", "CREATE TABLE `T` (`A` Long)"}));
  EXPECT_NE(std::find(events.log.begin(), events.log.end(), "finish SecondStep"), events.log.end());
  const auto& noConnection = package.Steps.Item("NoConnectionStep")->GetExecutionErrorInfo();
  EXPECT_EQ(noConnection.ErrorCode, kErrNotFound);
  EXPECT_EQ(noConnection.Description, "The package has no connection with ID 7");

  package.FailOnError = true;
  EXPECT_THROW(package.Execute(), DtsError);
  EXPECT_EQ(package.Steps.Item("SecondStep")->ExecutionStatus, DTSStepExecStat_Waiting);
}

struct ReadCase {
  const char* name;
  const char* text;
  const char* column;
  const char* value;
  bool isNull;
};

class ConstantScriptReads : public testing::TestWithParam<ReadCase> {};

TEST_P(ConstantScriptReads, TheAssignment) {
  const auto assignments = parseConstantScript(GetParam().text, "Main");
  ASSERT_EQ(assignments.size(), 1u);
  EXPECT_EQ(assignments[0].column, GetParam().column);
  EXPECT_EQ(assignments[0].value, GetParam().value);
  EXPECT_EQ(assignments[0].isNull, GetParam().isNull);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ConstantScriptReads,
    testing::Values(ReadCase{"BlanksCaseCommentsAndLf",
                             "\n' made by hand\nfunction main\n\tdtsdestination ( \"Città\" ) . "
                             "value = \"a b\" ' c\n  MAIN=dtstransformstat_ok\nend   function\n\n",
                             "Città", "a b", false},
                    ReadCase{"DoubledQuoteIsOneQuote",
                             "Function Main()\r\n DTSDestination(\"X\")=\"say \"\"hi\"\"\"\r\n "
                             "Main = DTSTransformStat_OK\r\nEnd Function",
                             "X", "say \"hi\"", false},
                    ReadCase{"Null",
                             "Function Main()\n DTSDestination(\"X\") = Null\n Main = "
                             "DTSTransformStat_OK\nEnd Function",
                             "X", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailCase {
  const char* name;
  const char* text;
  const char* description;
};

class ConstantScriptFails : public testing::TestWithParam<FailCase> {};

TEST_P(ConstantScriptFails, WithADescription) {
  try {
    parseConstantScript(GetParam().text, "Main");
    FAIL() << "read without error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().description);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ConstantScriptFails,
    testing::Values(FailCase{"OtherFunction", "Function Other()\nEnd Function",
                             "line 1: expected 'Function Main()' in: Function Other()"},
                    FailCase{"NoResult",
                             "Function Main()\n DTSDestination(\"X\")=\"1\"\nEnd Function",
                             "the function does not set Main = DTSTransformStat_OK"},
                    FailCase{"OtherStatement", "Function Main()\n MsgBox \"hi\"\nEnd Function",
                             "line 2: statement not understood in:  MsgBox \"hi\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
