// Registration writes one section per identity into the registry file:
//   [TypeLib\{library id}]   Name, Version, LCID, Path
//   [CLSID\{class id}]       Class, ProgID (creatable classes), Creatable, InprocServer32,
//                            TypeLib, DefaultInterface (and EventInterface for the wizard)
//   [ProgID\<ProgID>]        CLSID
//   [Interface\{iid}]        Name, Kind (dual or dispatch), TypeLib, Version
// Unregistration removes those sections and leaves anything else in the file.
#include "component/automation/registration.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "component/automation/hresults.h"
#include "component/automation/identities.h"
#include "config/ini_file.h"

namespace kpx::automation {
namespace {

std::string braced(std::string_view id) {
  return "{" + std::string(id) + "}";
}

std::string typeLibSection() {
  return "TypeLib\\" + braced(kTypeLibraryId);
}
std::string classSection(const ClassIdentity& c) {
  return "CLSID\\" + braced(c.clsid);
}
std::string progIdSection(const ClassIdentity& c) {
  return "ProgID\\" + progIdOf(c);
}
std::string interfaceSection(std::string_view iid) {
  return "Interface\\" + braced(iid);
}

// The file this code was loaded from: the shared library, or a program linking it statically.
std::string libraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&libraryPath), &info) && info.dli_fname) {
    std::error_code ec;
    auto canonical = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : canonical.string();
  }
  return {};
}

void describeInterface(IniFile& ini, std::string_view name, std::string_view iid,
                       std::string_view kind) {
  std::string section = interfaceSection(iid);
  ini.setValue(section, "Name", name);
  ini.setValue(section, "Kind", kind);
  ini.setValue(section, "TypeLib", braced(kTypeLibraryId));
  ini.setValue(section, "Version", kTypeLibraryVersion);
}

}  // namespace

std::filesystem::path registryFile() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return base / "kpxwizard" / "registry.ini";
}

}  // namespace kpx::automation

using namespace kpx::automation;

extern "C" {

KPX_API KPX_HRESULT DllRegisterServer(void) {
  try {
    auto file = registryFile();
    if (file.empty()) return SELFREG_E_CLASS;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) return SELFREG_E_CLASS;
    kpx::IniFile ini = kpx::IniFile::load(file);
    const std::string library = libraryPath();

    std::string lib = typeLibSection();
    ini.setValue(lib, "Name", kTypeLibraryName);
    ini.setValue(lib, "Version", kTypeLibraryVersion);
    ini.setValue(lib, "LCID", kTypeLibraryLocale);
    ini.setValue(lib, "Path", library);

    for (const auto& c : classIdentities()) {
      std::string section = classSection(c);
      ini.setValue(section, "Class", c.name);
      if (c.creatable) ini.setValue(section, "ProgID", progIdOf(c));
      ini.setValue(section, "Creatable", c.creatable ? "Yes" : "No");
      ini.setValue(section, "InprocServer32", library);
      ini.setValue(section, "TypeLib", braced(kTypeLibraryId));
      ini.setValue(section, "DefaultInterface", braced(c.iid));
      if (c.kind == ClassKind::Wizard)
        ini.setValue(section, "EventInterface", braced(kEventInterfaceId));
      if (c.creatable) ini.setValue(progIdSection(c), "CLSID", braced(c.clsid));
      describeInterface(ini, c.interfaceName, c.iid, "dual");
    }
    describeInterface(ini, kEventInterfaceName, kEventInterfaceId, "dispatch");
    return ini.save(file) ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

KPX_API KPX_HRESULT DllUnregisterServer(void) {
  try {
    auto file = registryFile();
    std::error_code ec;
    if (file.empty() || !std::filesystem::exists(file, ec)) return S_OK;
    kpx::IniFile ini = kpx::IniFile::load(file);
    ini.removeSection(typeLibSection());
    for (const auto& c : classIdentities()) {
      ini.removeSection(classSection(c));
      ini.removeSection(progIdSection(c));
      ini.removeSection(interfaceSection(c.iid));
    }
    ini.removeSection(interfaceSection(kEventInterfaceId));
    return ini.save(file) ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

}  // extern "C"
