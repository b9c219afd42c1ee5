// The builder that fills the shared package for one transfer: the two package connections,
// the one-shot SQL tasks (delete rows, create table) and the data-pump step and task with one
// transformation per clsTransformation; it relays the running package's events.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "kpxwizard/export.h"

#include "kpxwizard/connection.h"
#include "kpxwizard/transformations.h"
#include "package/dts/package_events.h"

namespace kpx {
namespace dts {
class DataPumpTask;
class Package;
}  // namespace dts

// Receives the four events a clsTask raises while its package runs.
class TaskEventSink {
 public:
  virtual ~TaskEventSink() = default;
  virtual void OnStart(const std::string& eventSource) = 0;
  virtual void OnProgress(const std::string& eventSource, const std::string& description,
                          int32_t percent, int32_t countLow, int32_t countHigh) = 0;
  virtual void OnFinish(const std::string& eventSource) = 0;
  virtual void OnQueryCancel(const std::string& eventSource, bool& cancel) = 0;
};

class KPX_WINDOWS_API clsTask : private dts::PackageEvents {
 public:
  explicit clsTask(TaskEventSink* events = nullptr) : m_events(events) {}

  // Data-pump task "Execute_Trasformation", which no step runs.
  void CreateTaskTrasformation();
  // Remove every task, respectively every step, of the package by name.
  void RemoveTaskTrasformation();
  void RemoveStepTrasformation();
  // Runs `sql` on the destination connection in a package run of its own; 1 or -1 after
  // showing the package failure text.
  int16_t DeleteRowsTableCreationTask(const std::string& sql);
  // The same for a CREATE TABLE text; afterwards the package holds no connections.
  int16_t CreateTableCreationTask(const std::string& sql);
  // Builds the data-pump step and task with every transformation of the wizard and runs the
  // package; 1, or raises the error again.
  int16_t CreateStepTaskTrasf();

  // Adds the package connection for `conn` (ID from its role, properties by its kind);
  // raises any failure again and adds nothing then.
  bool CreateDTSConnection(const clsConnection& conn);
  bool DTSConnectionExists(const std::string& key) const;
  void RemoveConnections();
  // "True" for -1, else "False".
  static std::string DescrFirstRow(int16_t firstRow);
  // The characters of a row delimiter code; "-1" outside 0 to 6.
  static std::string GetRowDelimiterComboIndex(int32_t rowDelimiter);

 private:
  static void AddCopyTransformation(dts::DataPumpTask& pump, const clsTransformation& t);
  static void AddScriptTransformation(dts::DataPumpTask& pump, clsTransformation& t);
  int16_t runSqlTask(const std::string& sql, bool createTable);

  // The running package's events (oPackEvent).
  void OnStart(const std::string& eventSource) override;
  void OnProgress(const std::string& eventSource, const std::string& description, int32_t percent,
                  int32_t countLow, int32_t countHigh) override;
  void OnFinish(const std::string& eventSource) override;
  void OnQueryCancel(const std::string& eventSource, bool& cancel) override;
  void OnError(const std::string& eventSource, int32_t code, const std::string& source,
               const std::string& description, const std::string& helpFile, int32_t helpContext,
               const std::string& interfaceId, bool& cancel) override;

  TaskEventSink* m_events;
  dts::Package* m_packEvent = nullptr;
};

}  // namespace kpx
