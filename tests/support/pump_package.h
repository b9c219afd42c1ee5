// Packages for the engine's tests: one data-pump step between two connections, built the
// way the package builder builds a transfer, and an event sink that records what it hears.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "package/dts/package.h"

namespace kpx::test {

// A package holding `source` as connection 1, `destination` as connection 2 and one step
// "TrasformationStep_Execute" running the pump "TrasformationTask_Execute" from the table
// `sourceTable` into `destinationTable`, writing failed rows to `exceptionFile`.
std::unique_ptr<dts::Package> makePumpPackage(std::shared_ptr<dts::Connection> source,
                                              std::shared_ptr<dts::Connection> destination,
                                              const std::string& sourceTable,
                                              const std::string& destinationTable,
                                              const std::string& exceptionFile = {});
// The pump of such a package.
dts::DataPumpTask& pumpOf(const dts::Package& package);
// Adds a copy of one column.
void addCopy(dts::DataPumpTask& pump, const std::string& name, const std::string& from,
             const std::string& to);
// Adds a constant the way the builder writes it: the four-line script around the value.
void addConstant(dts::DataPumpTask& pump, const std::string& name, const std::string& to,
                 const std::string& value);
// A connection of `provider` with "Data Source" set.
std::shared_ptr<dts::Connection> makeConnection(const std::string& provider,
                                                const std::string& dataSource, int id);

// Records every event as one line ("start S", "progress S 40% 1000/0", "cancel? S",
// "finish S", "error S <code> <description>").
class RecordingEvents : public dts::PackageEvents {
 public:
  std::vector<std::string> log;
  int errors = 0;

  void OnStart(const std::string& source) override;
  void OnProgress(const std::string& source, const std::string& description, int32_t percent,
                  int32_t low, int32_t high) override;
  void OnFinish(const std::string& source) override;
  void OnQueryCancel(const std::string& source, bool& cancel) override;
  void OnError(const std::string& source, int32_t code, const std::string& errorSource,
               const std::string& description, const std::string& helpFile, int32_t helpContext,
               const std::string& interfaceId, bool& cancel) override;
};

// Lines of a text file split at CR LF (a lone LF stays inside its line).
std::vector<std::string> crlfLines(const std::string& path);

}  // namespace kpx::test
