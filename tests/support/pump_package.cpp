#include "support/pump_package.h"

#include "support/scratch.h"

#include <fstream>
#include <sstream>

namespace kpx::test {

std::unique_ptr<dts::Package> makePumpPackage(std::shared_ptr<dts::Connection> source,
                                              std::shared_ptr<dts::Connection> destination,
                                              const std::string& sourceTable,
                                              const std::string& destinationTable,
                                              const std::string& exceptionFile) {
  auto package = std::make_unique<dts::Package>();
  package->Name = "KPX Wizard IO";
  package->Connections.Add(std::move(source));
  package->Connections.Add(std::move(destination));
  auto step = package->NewStep();
  step->Name = "TrasformationStep_Execute";
  auto task = package->NewTask(dts::kDataPumpTaskClass);
  task->Name = "TrasformationTask_Execute";
  auto pump = task->dataPump();
  pump->Name = task->Name;
  pump->SourceConnectionID = 1;
  pump->SourceObjectName = sourceTable;
  pump->DestinationConnectionID = 2;
  pump->DestinationObjectName = destinationTable;
  pump->ExceptionFileName = exceptionFile;
  step->TaskName = pump->Name;
  package->Steps.Add(step);
  package->Tasks.Add(task);
  return package;
}

dts::DataPumpTask& pumpOf(const dts::Package& package) {
  return *package.Tasks.Item("TrasformationTask_Execute")->dataPump();
}

void addCopy(dts::DataPumpTask& pump, const std::string& name, const std::string& from,
             const std::string& to) {
  auto t = pump.Transformations.New(dts::kCopyTransformationClass);
  t->Name = name;
  t->SourceColumns.Add(t->SourceColumns.New(from, 1));
  t->DestinationColumns.Add(t->DestinationColumns.New(to, 1));
  pump.Transformations.Add(t);
}

void addConstant(dts::DataPumpTask& pump, const std::string& name, const std::string& to,
                 const std::string& value) {
  auto t = pump.Transformations.New(dts::kScriptTransformationClass);
  t->Name = name;
  t->DestinationColumns.Add(t->DestinationColumns.New(to, 1));
  std::string text = t->TransformServerProperties.Text("Text");
  text += "Function Main()\r\n";
  text += "   DTSDestination(\"" + to + "\")=\"" + value + "\"\r\n";
  text += "   Main = DTSTransformStat_OK\r\n";
  text += "End Function";
  t->TransformServerProperties.Set("Text", text);
  pump.Transformations.Add(t);
}

std::shared_ptr<dts::Connection> makeConnection(const std::string& provider,
                                                const std::string& dataSource, int id) {
  auto connection = std::make_shared<dts::Connection>();
  connection->ProviderName = provider;
  connection->Name = dataSource;
  connection->ID = id;
  connection->DataSource = dataSource;
  return connection;
}

void RecordingEvents::OnStart(const std::string& source) {
  log.push_back("start " + source);
}

void RecordingEvents::OnProgress(const std::string& source, const std::string&, int32_t percent,
                                 int32_t low, int32_t high) {
  log.push_back("progress " + source + " " + std::to_string(percent) + "% " + std::to_string(low) +
                "/" + std::to_string(high));
}

void RecordingEvents::OnFinish(const std::string& source) {
  log.push_back("finish " + source);
}

void RecordingEvents::OnQueryCancel(const std::string& source, bool&) {
  log.push_back("cancel? " + source);
}

void RecordingEvents::OnError(const std::string& source, int32_t code, const std::string&,
                              const std::string& description, const std::string&, int32_t,
                              const std::string&, bool&) {
  ++errors;
  log.push_back("error " + source + " " + std::to_string(code) + " " + description);
}

std::vector<std::string> crlfLines(const std::string& path) {
  const std::string text = readFile(path);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace kpx::test
