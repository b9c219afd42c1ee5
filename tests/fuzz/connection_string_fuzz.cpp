// Feeds arbitrary text to the connection-string parser and checks that every property it
// returns can be looked up again by its own name.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/providers/connection_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto props = kpx::data::ConnectionProperties::parse(text);
  for (const auto& [name, value] : props.items()) {
    if (!props.has(name)) std::abort();
  }
  return 0;
}
