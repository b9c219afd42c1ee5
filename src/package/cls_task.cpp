#include "package/cls_task.h"

#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/error_log_place.h"
#include "model/paths.h"
#include "model/vb_strings.h"
#include "package/cls_package.h"
#include "package/destination_rows.h"
#include "package/dts/package.h"
#include "package/execution_state.h"

namespace kpx {
namespace {

dts::Package& package() {
  auto& p = oPackage();
  if (!p) throw AutomationError(91, "clsTask", "The package has not been created");
  return *p;
}

cKPXWizard& wizard() {
  auto w = oWizard();
  if (!w) throw AutomationError(91, "clsTask", "No wizard object is current");
  return *w;
}

// A new transformation of `className` named after `t`, with the settings every transfer uses.
std::shared_ptr<dts::Transformation> newTransformation(dts::DataPumpTask& pump,
                                                       const char* className,
                                                       const clsTransformation& t) {
  auto x = pump.Transformations.New(className);
  x->Name = t.Name();
  x->TransformFlags = dts::kTransformFlagsDefault;
  x->ForceSourceBlobsBuffered = 0;
  x->ForceBlobsInMemory = false;
  x->TransformPhases = dts::kTransformPhaseTransform;
  return x;
}

void copyColumn(dts::ColumnList& list, const clsColumn& column) {
  auto c = list.New(column.Name(), 1);
  c->Name = column.Name();
  c->Ordinal = 1;
  c->Size = column.Size();
  c->DataType = column.DataType();
  c->Nullable = column.Nullable();
  list.Add(c);
}

}  // namespace

bool clsTask::CreateDTSConnection(const clsConnection& conn) {
  auto c = package().NewConnection(conn.ProviderString());
  c->Name = conn.Database();
  c->ID = conn.id();
  c->UseTrustedConnection = false;
  auto& p = c->ConnectionProperties;
  switch (conn.ConType()) {
    case CONN_ACCESS:
      p.Set("Data Source", conn.Database());
      p.Set("Mode", int32_t{conn.ModeText()});
      c->DataSource = conn.Database();
      c->UserID = conn.User();
      p.Set("Jet OLEDB:Database Password", conn.Password());
      break;
    case CONN_SQLServer:
      c->DataSource = conn.Server();
      c->Catalog = conn.Database();
      c->UserID = conn.User();
      c->Password = conn.Password();
      break;
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5: {
      const char* version = conn.ConType() == CONN_EXCEL    ? "Excel 8.0;HDR=YES;"
                            : conn.ConType() == CONN_EXCEL3 ? "Excel 3.0;HDR=YES;"
                            : conn.ConType() == CONN_EXCEL4 ? "Excel 4.0;HDR=YES;"
                                                            : "Excel 5.0;HDR=YES;";
      c->DataSource = conn.Database();
      p.Set("Data Source", conn.Database());
      p.Set("Extended Properties", std::string(version));
      break;
    }
    case CONN_TEXTFILE:
      c->DataSource = conn.Database();
      p.Set("Skip Rows", int32_t{conn.SkipRows()});
      p.Set("Column Delimiter", conn.ColumnDelimiter());
      p.Set("Row Delimiter", GetRowDelimiterComboIndex(conn.RowDelimiter()));
      p.Set("Column Lengths", conn.ColumnLengths());
      p.Set("First Row Column Name", DescrFirstRow(conn.FirstRow()));
      p.Set("File Format", conn.FormatFile());
      p.Set("Text Qualifier", conn.TextQualifier());
      p.Set("Mode", int32_t{conn.ModeText()});
      p.Set("Number of Column", conn.NumberColumns());
      p.Set("Column Names", conn.ColumnNames());
      if (!conn.TextEncoding().empty()) p.Set("Character Set", conn.TextEncoding());
      break;
    case CONN_HTML_SOURCE:
      c->DataSource = conn.Database();
      p.Set("Extended Properties", std::string("HTML Import"));
      break;
    default:
      break;
  }
  package().Connections.Add(c);
  return true;
}

bool clsTask::DTSConnectionExists(const std::string& key) const {
  try {
    return package().Connections.Find(vb::Trim(key)) != nullptr;
  } catch (...) {
    return false;
  }
}

void clsTask::RemoveConnections() {
  auto& list = package().Connections;
  while (list.Count() > 0) list.Remove(list.Item(1)->Name);
}

std::string clsTask::DescrFirstRow(int16_t firstRow) {
  return firstRow == -1 ? "True" : "False";
}

std::string clsTask::GetRowDelimiterComboIndex(int32_t rowDelimiter) {
  if (rowDelimiter < kpxCRLF || rowDelimiter > kpxLF) return "-1";
  return modMain::DelimiterText(rowDelimiter);
}

void clsTask::CreateTaskTrasformation() {
  auto task = package().NewTask(dts::kDataPumpTaskClass);
  task->Name = "Execute_Trasformation";
  package().Tasks.Add(task);
}

void clsTask::RemoveTaskTrasformation() {
  auto& list = package().Tasks;
  while (list.Count() > 0) list.Remove(list.Item(1)->Name);
}

void clsTask::RemoveStepTrasformation() {
  auto& list = package().Steps;
  while (list.Count() > 0) list.Remove(list.Item(1)->Name);
}

int16_t clsTask::DeleteRowsTableCreationTask(const std::string& sql) {
  return runSqlTask(sql, false);
}

int16_t clsTask::CreateTableCreationTask(const std::string& sql) {
  return runSqlTask(sql, true);
}

int16_t clsTask::runSqlTask(const std::string& sql, bool createTable) {
  const std::string name = createTable ? "CreateTableTask" : "DeleteRowsTask";
  int16_t result = -1;
  try {
    auto step = package().NewStep();
    auto task = package().NewTask(dts::kExecuteSQLTaskClass);
    auto sqlTask = task->executeSQL();
    step->Name = createTable ? "CreateTableStep" : "DeleteRowsStep";
    step->ExecuteInMainThread = true;
    task->Name = name;
    sqlTask->Name = name;
    sqlTask->ConnectionID = 2;
    sqlTask->SQLStatement = sql;
    if (createTable) sqlTask->OutputAsRecordset = false;
    step->TaskName = sqlTask->Name;
    package().Steps.Add(step);
    package().Tasks.Add(task);
    package().Execute(nullptr);
    package().UnInitialize();
    result = 1;
  } catch (...) {
    ckpx_Error error = ckpx_Error::fromException(std::current_exception());
    try {
      package().UnInitialize();
    } catch (...) {
    }
    ShowMessage(buildPackageFailure(error, oPackage().get()), vbExclamation, package().Name);
  }
  try {
    package().Steps.Remove(1);
  } catch (...) {
  }
  try {
    package().Tasks.Remove(1);
  } catch (...) {
  }
  if (createTable) {
    try {
      RemoveConnections();
    } catch (...) {
    }
  }
  return result;
}

int16_t clsTask::CreateStepTaskTrasf() {
  cKPXWizard& w = wizard();
  auto step = package().NewStep();
  auto task = package().NewTask(dts::kDataPumpTaskClass);
  auto pump = task->dataPump();

  step->Name = "TrasformationStep_Execute";
  step->ExecutionStatus = 4;
  step->CommitSuccess = false;
  step->RollbackFailure = false;
  step->ScriptLanguage = "VBScript";
  step->AddGlobalVariables = true;
  step->RelativePriority = 3;
  step->CloseConnection = false;
  step->ExecuteInMainThread = true;
  step->IsPackageDSORowset = false;
  step->JoinTransactionIfPresent = false;
  step->DisableStep = false;
  step->FailPackageOnError = false;

  task->Name = "TrasformationTask_Execute";
  pump->Name = "TrasformationTask_Execute";
  pump->SourceConnectionID = 1;
  const clsConnection& source = *w.Source();
  if (source.TableType() != kpxTypeQuery) {
    pump->SourceObjectName = source.TableName();
  } else {
    const auto& query = modMain::state();
    pump->SourceSQLStatement = query.bQueryHasClauses ? query.strQuerySpace : source.TableName();
  }
  pump->DestinationConnectionID = 2;
  const clsConnection& destination = *w.Destination();
  pump->DestinationObjectName = destination.ConType() == CONN_SQLServer
                                    ? QualifiedTableName(destination)
                                    : destination.TableName();
  // A delete asked for another table is stale once a transfer goes elsewhere.
  auto& pending = executionState().pendingDelete;
  const bool clears = pending && pending->database == destination.Database() &&
                      pending->table == destination.TableName();
  if (clears)
    pump->DestinationClearSQL = pending->sql;
  else
    pending.reset();
  pump->ProgressRowCount = dts::kProgressRowCount;
  pump->MaximumErrorCount = dts::kMaximumErrorCount;
  pump->FetchBufferSize = 1;
  pump->UseFastLoad = true;
  pump->InsertCommitSize = 0;
  pump->ExceptionFileName = errorLogFileInUse(w.LogFilePath());
  pump->ExceptionFileColumnDelimiter = "|";
  pump->ExceptionFileRowDelimiter = "\r\n";
  pump->AllowIdentityInserts = false;
  pump->FirstRow = 0;
  pump->LastRow = 0;
  pump->FastLoadOptions = dts::kFastLoadCheckConstraints;
  pump->ExceptionFileOptions = dts::kExceptionFileOptions;
  pump->DataPumpOptions = 0;
  pump->DryRun = w.DryRun();
  pump->RejectedRows = w.RejectedRows().get();

  auto transformations = w.Transformations();
  for (int32_t i = 1; i <= transformations->Count(); ++i) {
    auto t = transformations->Item(i);
    if (t->TransformationType() == kpxCopyColumn)
      AddCopyTransformation(*pump, *t);
    else
      AddScriptTransformation(*pump, *t);
  }
  step->TaskName = pump->Name;
  package().Steps.Add(step);
  package().Tasks.Add(task);

  m_packEvent = &package();
  executionState().rowsRead = 0;
  executionState().rowsWritten = 0;
  executionState().rowsFailed = 0;
  const auto keepCounts = [&] {
    executionState().rowsRead = pump->RowsRead;
    executionState().rowsWritten = pump->RowsComplete;
    executionState().rowsFailed = pump->RowsInError;
  };
  try {
    package().Execute(this);
    keepCounts();
  } catch (...) {
    keepCounts();
    // A failed or cancelled run lets go of its files as a finished one does.
    m_packEvent = nullptr;
    package().UnInitialize();
    throw;
  }
  m_packEvent = nullptr;
  package().UnInitialize();
  if (clears) pending.reset();
  return 1;
}

void clsTask::AddCopyTransformation(dts::DataPumpTask& pump, const clsTransformation& t) {
  auto src = t.SourceFields()->Item(1);
  auto dst = t.DestinationFields()->Item(1);
  auto x = newTransformation(pump, dts::kCopyTransformationClass, t);
  x->InMemoryBlobSize = 1048576;
  copyColumn(x->SourceColumns, *src);
  copyColumn(x->DestinationColumns, *dst);
  pump.Transformations.Add(x);
}

void clsTask::AddScriptTransformation(dts::DataPumpTask& pump, clsTransformation& t) {
  auto dst = t.DestinationFields()->Item(1);
  const std::string& value = t.ConstantValue();
  // The in-memory blob size stays as a new script transformation has it.
  auto x = newTransformation(pump, dts::kScriptTransformationClass, t);
  copyColumn(x->DestinationColumns, *dst);
  auto& properties = x->TransformServerProperties;
  auto append = [&](const std::string& line) {
    properties.Set("Text", properties.Text("Text") + line);
  };
  append("Function Main()\r\n");
  append("   DTSDestination(\"" + dst->Name() + "\")=\"" + value + "\"\r\n");
  append("   Main = DTSTransformStat_OK\r\n");
  append("End Function");
  properties.Set("Language", std::string("VBScript"));
  properties.Set("FunctionEntry", std::string("Main"));
  t.setTransformationScript(properties.Text("Text"));
  pump.Transformations.Add(x);
}

void clsTask::OnStart(const std::string& eventSource) {
  if (m_events) m_events->OnStart(eventSource);
}

void clsTask::OnProgress(const std::string& eventSource, const std::string& description,
                         int32_t percent, int32_t countLow, int32_t countHigh) {
  if (m_events) m_events->OnProgress(eventSource, description, percent, countLow, countHigh);
}

void clsTask::OnFinish(const std::string& eventSource) {
  if (m_events) m_events->OnFinish(eventSource);
}

void clsTask::OnQueryCancel(const std::string& eventSource, bool& cancel) {
  if (m_events) m_events->OnQueryCancel(eventSource, cancel);
}

void clsTask::OnError(const std::string&, int32_t, const std::string&,
                      const std::string& description, const std::string&, int32_t,
                      const std::string&, bool&) {
  // Row errors are counted, never passed on: the run reports them at its end.
  auto& state = executionState();
  ++state.nPackageErrors;
  state.strLastPackageError = description;
}

}  // namespace kpx
