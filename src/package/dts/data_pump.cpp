// The data pump's run: source rows stream through the compiled plan into the destination
// writer on the caller's thread. Per row it only fills a preallocated array of value views,
// so memory stays the same whatever the number of rows.
#include <algorithm>

#include "package/dts/exception_file.h"
#include "package/dts/pump_plan.h"
#include "package/dts/task_runs.h"

namespace kpx::dts {
namespace {

class PumpRun {
 public:
  PumpRun(DataPumpTask& pump, StepRun& run)
      : m_pump(pump),
        m_run(run),
        m_exceptions(pump.ExceptionFileName, run.packageName, run.stepName,
                     pump.ExceptionFileColumnDelimiter, pump.ExceptionFileRowDelimiter) {}

  void run() {
    m_pump.RowsRead = 0;
    m_pump.RowsComplete = 0;
    m_pump.RowsInError = 0;
    try {
      copyRows();
      m_pump.RowsRead = m_rowNumber;
      m_pump.RowsComplete = m_processed - m_errors;
      m_pump.RowsInError = m_errors;
    } catch (const std::exception& e) {
      m_pump.RowsRead = m_rowNumber;
      m_pump.RowsInError = m_errors;
      abandon();
      try {
        m_exceptions.writeRunFailure(e.what());
      } catch (...) {
        // The run's own failure is the one to report, not the log's.
      }
      throw;
    }
  }

 private:
  void copyRows() {
    data::DataSource& source = m_run.open.get(m_run.connections, m_pump.SourceConnectionID);
    data::DataSource& destination =
        m_run.open.get(m_run.connections, m_pump.DestinationConnectionID);
    if (m_pump.SourceSQLStatement.empty() && m_pump.SourceObjectName.empty()) {
      throw DtsError(kErrStepFailed, kSourceDataPump,
                     "The data pump '" + m_pump.Name + "' names no source table or query");
    }
    m_reader = m_pump.SourceSQLStatement.empty() ? source.openTable(m_pump.SourceObjectName)
                                                 : source.openQuery(m_pump.SourceSQLStatement);
    const PumpPlan plan = compilePumpPlan(m_pump, m_reader->columns(), destination);
    if (m_pump.RejectedRows) {
      std::vector<std::string> names;
      for (const auto& column : m_reader->columns()) names.push_back(column.name);
      m_pump.RejectedRows->SourceColumns(names);
    }
    m_writer = destination.openWriter(m_pump.DestinationObjectName, plan.destinationColumns);
    if (!m_pump.DestinationClearSQL.empty()) destination.execute(m_pump.DestinationClearSQL);

    // Constants are set once; per row only the copied columns change.
    std::vector<data::Value> row(plan.slots.size());
    std::vector<std::pair<size_t, size_t>> copies;  // (destination slot, source ordinal)
    for (size_t i = 0; i < plan.slots.size(); ++i) {
      if (plan.slots[i].source >= 0) {
        copies.emplace_back(i, static_cast<size_t>(plan.slots[i].source));
      } else {
        row[i] = plan.slots[i].constant.view();
      }
    }
    m_untilProgress = m_pump.ProgressRowCount;
    int64_t sinceCommit = 0;
    for (;;) {
      bool more;
      try {
        more = m_reader->next();
      } catch (const data::RowError& e) {
        ++m_rowNumber;
        rowFailed(e.what(), nullptr);
        afterRow();
        continue;
      }
      if (!more) break;
      ++m_rowNumber;
      if (m_pump.FirstRow > 0 && m_rowNumber < m_pump.FirstRow) continue;
      if (m_pump.LastRow > 0 && m_rowNumber > m_pump.LastRow) break;
      for (const auto& [slot, ordinal] : copies) row[slot] = m_reader->field(ordinal);
      try {
        m_writer->writeRow(row.data(), row.size());
        if (!m_pump.DryRun && m_pump.InsertCommitSize > 0 &&
            ++sinceCommit == m_pump.InsertCommitSize) {
          m_writer->commit();
          m_writer = destination.openWriter(m_pump.DestinationObjectName, plan.destinationColumns);
          sinceCommit = 0;
        }
      } catch (const data::RowError& e) {
        rowFailed(e.what(), m_reader.get());
      }
      afterRow();
    }
    // The source lets go of the file before the destination commits (they may be one file).
    m_reader.reset();
    auto writer = std::move(m_writer);
    if (m_pump.DryRun)
      writer->rollback();
    else
      writer->commit();
  }

  // Progress and the question whether to cancel, every ProgressRowCount rows.
  void afterRow() {
    ++m_processed;
    if (--m_untilProgress != 0) return;
    m_untilProgress = m_pump.ProgressRowCount;
    if (m_pump.ProgressRowCount <= 0 || !m_run.events) return;
    const data::ReadProgress progress = m_reader->progress();
    int32_t percent = 0;
    if (progress.total > 0) {
      percent =
          static_cast<int32_t>(std::clamp<int64_t>(progress.done * 100 / progress.total, 0, 100));
    }
    const auto count = static_cast<uint64_t>(m_processed);
    m_run.events->OnProgress(
        m_run.stepName, std::to_string(m_processed) + " rows have been transformed or copied.",
        percent, static_cast<int32_t>(count & 0xffffffffu), static_cast<int32_t>(count >> 32));
    bool cancel = false;
    m_run.events->OnQueryCancel(m_run.stepName, cancel);
    if (cancel) cancelled();
  }

  void rowFailed(const std::string& why, const data::RowReader* row) {
    ++m_errors;
    const std::string description = "Row " + std::to_string(m_rowNumber) + ": " + why;
    m_exceptions.writeRow(m_rowNumber, why, row);
    if (m_pump.RejectedRows) tellRejected(why, row);
    bool cancel = false;
    if (m_run.events) {
      m_run.events->OnError(m_run.stepName, kErrRowFailed, kSourceDataPump, description, "", 0, "",
                            cancel);
    }
    if (cancel) cancelled();
    if (m_errors > m_pump.MaximumErrorCount) {
      throw DtsError(kErrTooManyRowErrors, kSourceDataPump,
                     "The number of failing rows exceeds the maximum of " +
                         std::to_string(m_pump.MaximumErrorCount) + " (data pump '" + m_pump.Name +
                         "'); " + rolledBack());
    }
  }

  void tellRejected(const std::string& why, const data::RowReader* row) {
    m_rejectedValues.resize(row ? row->columns().size() : 0);
    for (size_t i = 0; i < m_rejectedValues.size(); ++i) {
      m_rejectedValues[i].clear();
      data::appendText(row->field(i), m_rejectedValues[i]);
    }
    m_pump.RejectedRows->RowRejected(m_rowNumber, m_rejectedValues, why);
  }

  [[noreturn]] void cancelled() {
    throw DtsError(kErrCancelled, kSourceDataPump,
                   "The run was cancelled after " + std::to_string(m_processed) +
                       " rows (data pump '" + m_pump.Name + "'); " + rolledBack());
  }

  std::string rolledBack() const {
    const std::string table = "'" + m_pump.DestinationObjectName + "'";
    return m_pump.InsertCommitSize > 0
               ? "the rows written to " + table + " since the last commit were rolled back"
               : "nothing was written to " + table;
  }

  // Leaves the destination as it was; a failure to roll back must not hide the cause.
  void abandon() {
    m_reader.reset();
    if (!m_writer) return;
    try {
      m_writer->rollback();
    } catch (const std::exception&) {
    }
    m_writer.reset();
  }

  DataPumpTask& m_pump;
  StepRun& m_run;
  ExceptionFile m_exceptions;
  std::unique_ptr<data::RowReader> m_reader;
  std::unique_ptr<data::RowWriter> m_writer;
  int64_t m_rowNumber = 0;  // source rows met, failed ones included
  int64_t m_processed = 0;  // rows that went through the pump
  int64_t m_errors = 0;
  int64_t m_untilProgress = 0;  // rows left before the next progress event
  std::vector<std::string> m_rejectedValues;
};

}  // namespace

void runDataPump(DataPumpTask& pump, StepRun& run) {
  PumpRun(pump, run).run();
}

}  // namespace kpx::dts
