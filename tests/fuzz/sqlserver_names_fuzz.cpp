// The readers of SQL Server names: a connection's server text, a freetds.conf text and a
// SQL Server Browser answer; none may crash and every name they give is non-empty.
#include <cstdint>
#include <string>
#include <vector>

#include "data/providers/provider.h"
#include "data/providers/sqlserver/server_address.h"
#include "data/providers/sqlserver/server_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  try {
    if (kpx::data::freetdsServerName(input).empty()) __builtin_trap();
  } catch (const kpx::data::DataError&) {
  }
  std::vector<std::string> names = kpx::data::freetdsConfServers(input);
  kpx::data::addBrowserAnswer(names, input);
  for (const auto& name : names) {
    if (name.empty()) __builtin_trap();
  }
  return 0;
}
