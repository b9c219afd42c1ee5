// The constant-script reader on arbitrary text: it either reads assignments or throws
// ScriptError; a constant it reads, written back the way the package builder writes it,
// must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "package/dts/constant_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    for (const auto& a : kpx::dts::parseConstantScript(text, "Main")) {
      if (a.isNull || a.value.find_first_of("\"\r\n") != std::string::npos ||
          a.column.find_first_of("\"\r\n") != std::string::npos) {
        continue;
      }
      const std::string again = "Function Main()\r\n   DTSDestination(\"" + a.column + "\")=\"" +
                                a.value + "\"\r\n   Main = DTSTransformStat_OK\r\nEnd Function";
      const auto back = kpx::dts::parseConstantScript(again, "Main");
      if (back.size() != 1 || back[0].column != a.column || back[0].value != a.value)
        __builtin_trap();
    }
  } catch (const kpx::dts::ScriptError&) {
  }
  return 0;
}
