#include "support/headless_transfer.h"

#include <fstream>

#include "support/connections.h"
#include "support/scratch.h"
#include "support/shared_state.h"

namespace kpx::test {

std::string shownBoxes(ScopedRecordingSink& sink) {
  std::string out;
  for (const auto& box : sink->boxes) out += "[" + box.text + "]\n";
  return out;
}

void HeadlessTransfer::SetUp() {
  resetSharedState();
  wizard = cKPXWizard::create();
  wizard->setLogFilePath(dir.string());
  events = std::make_shared<HostEvents>();
  wizard->advise(events);
}

void HeadlessTransfer::TearDown() {
  wizard->CloseWizard();
}

std::string HeadlessTransfer::writeCsv(const std::string& name, int rows, int badEvery) {
  std::ofstream out(path(name), std::ios::binary);
  out << "Id,Name,Amount\r\n";
  for (int i = 1; i <= rows; ++i) {
    const bool bad = badEvery > 0 && i % badEvery == 0;
    out << i << ",Name " << i << "," << (bad ? std::string("n/a") : std::to_string(i) + ".5")
        << "\r\n";
  }
  return path(name);
}

std::shared_ptr<clsConnection> HeadlessTransfer::csvSource(const std::string& file) {
  auto c = textConnection(file);
  c->setFirstRow(-1);
  return c;
}

std::shared_ptr<clsConnection> HeadlessTransfer::database(const std::string& file,
                                                          const std::string& table, int32_t kind) {
  return tableConnection(kind, file, table);
}

void HeadlessTransfer::pairColumns(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    auto t = wizard->Transformations()->Add(name);
    t->SourceFields()->Add(name);
    t->DestinationFields()->Add(name);
  }
}

}  // namespace kpx::test
