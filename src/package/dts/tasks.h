// Tasks: a package task names its class and holds the class-specific object, a SQL task
// ("DTSExecuteSQLTask") or a data pump ("DTSDataPumpTask").
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "kpxwizard/rejected_rows.h"
#include "package/dts/transformation.h"

namespace kpx::dts {

inline constexpr const char* kDataPumpTaskClass = "DTSDataPumpTask";
inline constexpr const char* kExecuteSQLTaskClass = "DTSExecuteSQLTask";

// The class-specific object of a task.
class CustomTask {
 public:
  virtual ~CustomTask() = default;
  virtual std::string ClassName() const = 0;
  std::string Name;
  std::string Description;
};

// Runs one SQL statement on one connection.
class ExecuteSQLTask : public CustomTask {
 public:
  std::string ClassName() const override { return kExecuteSQLTaskClass; }
  int32_t ConnectionID = 0;
  std::string SQLStatement;
  int32_t CommandTimeout = 0;
  bool OutputAsRecordset = false;
};

// Copies the rows of a source table or query into a destination table through its
// transformations, inside one transaction per InsertCommitSize rows (0: one for the run).
class DataPumpTask : public CustomTask {
 public:
  std::string ClassName() const override { return kDataPumpTaskClass; }
  int32_t SourceConnectionID = 0;
  std::string SourceObjectName;    // a table, read whole
  std::string SourceSQLStatement;  // used instead of SourceObjectName when not empty
  int32_t DestinationConnectionID = 0;
  std::string DestinationObjectName;
  // Run on the destination inside the pump's transaction before the first row (the delete of
  // the rows a transfer replaces); nothing when empty.
  std::string DestinationClearSQL;
  int32_t ProgressRowCount = kProgressRowCount;  // OnProgress and OnQueryCancel every so many rows
  int32_t MaximumErrorCount =
      kMaximumErrorCount;  // the step fails at the row error after this many
  int32_t FetchBufferSize = 1;
  bool UseFastLoad = true;
  int32_t InsertCommitSize = 0;
  std::string ExceptionFileName;  // failed rows are appended here; none when empty
  std::string ExceptionFileColumnDelimiter = "|";
  std::string ExceptionFileRowDelimiter = "\r\n";
  bool AllowIdentityInserts = false;
  int32_t FirstRow = 0;  // 1-based first source row copied; 0 from the start
  int32_t LastRow = 0;   // last source row copied; 0 to the end
  int32_t FastLoadOptions = kFastLoadCheckConstraints;
  int32_t ExceptionFileOptions = kExceptionFileOptions;
  int32_t DataPumpOptions = 0;
  // Converts and checks every row as a run does, in one transaction that is rolled back at the
  // end instead of committed (InsertCommitSize is not used): the destination stays as it was.
  bool DryRun = false;
  RejectedRowSink* RejectedRows = nullptr;  // also told of every failed row when set
  TransformationList Transformations;
  // What the last run did: source rows read, rows written and kept (0 after a run that rolled
  // back; for a dry run, the rows it would have kept), and rows that failed.
  int64_t RowsRead = 0;
  int64_t RowsComplete = 0;
  int64_t RowsInError = 0;
};

struct Task {
  std::string Name;
  std::string Description;
  // The class the task was made with ("DTSDataPumpTask", "DTSExecuteSQLTask").
  std::string CustomTaskID;
  std::shared_ptr<dts::CustomTask> CustomTask;

  // The class-specific object as a pump or SQL task; nullptr when of the other class.
  std::shared_ptr<DataPumpTask> dataPump() const {
    return std::dynamic_pointer_cast<DataPumpTask>(CustomTask);
  }
  std::shared_ptr<ExecuteSQLTask> executeSQL() const {
    return std::dynamic_pointer_cast<ExecuteSQLTask>(CustomTask);
  }
};

}  // namespace kpx::dts
