// Query analysis on arbitrary text: ExtractNameFields, ExtractTableName and BuildQuerySpace for
// every kind must neither crash nor hang, and the upper-cased table name must keep its length.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "model/vb_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = [] {
    kpx::installMessageSink(std::make_shared<kpx::RecordingMessageSink>());
    return true;
  }();
  (void)quiet;
  const std::string query(reinterpret_cast<const char*>(data), size);
  std::string table = kpx::modMain::ExtractNameFields(query);
  kpx::modMain::ExtractTableName(query);
  for (int32_t kind : {1, 3, 4, 8}) kpx::modMain::BuildQuerySpace(query, table, kind);
  if (kpx::vb::Len(kpx::vb::UCase(query)) != kpx::vb::Len(query)) __builtin_trap();
  kpx::modMain::resetState();
  return 0;
}
