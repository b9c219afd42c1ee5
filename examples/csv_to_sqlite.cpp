// A host of a dozen lines: copies a CSV file (names in the first row) into a new table of a new
// SQLite database and prints the events the transfer raises.   csv_to_sqlite FILE.csv NEW.db
#include <filesystem>
#include <fstream>
#include <iostream>

#include "kpxwizard/wizard.h"

struct PrintEvents : kpx::WizardEventSink {
  void OnStart(const std::string& step) override { std::cout << "start " << step << "\n"; }
  void OnProgress(const std::string&, const std::string& what, int32_t, int32_t, int32_t) override {
    std::cout << what << "\n";
  }
  void OnFinish(const std::string& step) override { std::cout << "finish " << step << "\n"; }
};

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ofstream{argv[2]};  // an empty file is an empty SQLite database
  auto source = std::make_shared<kpx::clsConnection>();
  source->setProvider(kpx::CONN_TEXTFILE);
  source->setDatabase(argv[1]);
  source->setFormatFile(kpx::kpxDelimitedFile);
  source->setRowDelimiter(kpx::kpxCRLF);
  source->setColumnDelimiter(",");
  source->setFirstRow(-1);
  auto destination = std::make_shared<kpx::clsConnection>();
  destination->setProvider(kpx::CONN_ACCESS);
  destination->setDatabase(argv[2]);
  destination->setTableName(std::filesystem::path(argv[1]).stem());  // else the file's path
  destination->setCreatedDestinationTable(true);

  auto wizard = kpx::cKPXWizard::create();
  wizard->advise(std::make_shared<PrintEvents>());
  wizard->setSource(source);
  wizard->setDestination(destination);
  const bool done =
      wizard->BuildColumns(source, destination) == 1 && wizard->Mapping() && wizard->Execute();
  std::cout << (done ? "copied into table " + destination->TableName() : "failed") << "\n";
  return done ? 0 : 1;
}
