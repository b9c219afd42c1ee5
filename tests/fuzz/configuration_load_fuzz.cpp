// Loading a configuration file of arbitrary text: the connection sections, the numbers and
// booleans in them and the six-field transformations must neither crash nor hang, whatever
// the file holds; a refused value ends the load with a report, never with an escape.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "component/configuration_file.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace {

class SilentSink : public kpx::MessageSink {
 public:
  int32_t show(const std::string&, int32_t, const std::string&) override { return 1; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file =
      "/tmp/kpx_configuration_fuzz_" + std::to_string(::getpid()) + ".ini";
  static std::shared_ptr<kpx::cKPXWizard> wizard = [] {
    kpx::installMessageSink(std::make_shared<SilentSink>());
    return kpx::cKPXWizard::create();
  }();
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), size);

  wizard->LoadFromINIFile(file);
  for (const auto& connection : {wizard->Source(), wizard->Destination()})
    for (const char* name : {"A", "B"})
      if (!connection->Columns()->ExistItem(name)) connection->Columns()->Add(name)->setName(name);
  wizard->Transformations()->Reset();
  kpx::config::loadTransformations(*wizard, file);
  wizard->SaveIntoINIFile(file);
  return 0;
}
