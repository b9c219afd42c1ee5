// The INI engine on arbitrary file text: reading, editing and writing back must neither crash
// nor hang, a written value must read back trimmed, and other sections must be unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kpx::IniFile ini = kpx::IniFile::parse(text);
  for (const char* section : {"SOURCE", "source", "", "TRANSFORMATIONS"}) {
    for (const std::string& key : ini.keys(section)) ini.value(section, key);
    ini.hasSection(section);
  }
  auto otherBefore = ini.keys("OTHER");
  ini.setValue("SOURCE", "User", "  bob  ");
  if (ini.value("SOURCE", "User") != "bob") __builtin_trap();
  if (ini.keys("OTHER") != otherBefore) __builtin_trap();
  kpx::IniFile again = kpx::IniFile::parse(ini.text());
  if (again.value("SOURCE", "User") != "bob") __builtin_trap();
  again.removeSection("SOURCE");
  if (again.hasSection("SOURCE")) __builtin_trap();
  return 0;
}
