#include "kpxwizard/wizard.h"

#include <dlfcn.h>

#include <algorithm>

#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "model/paths.h"
#include "package/cls_package.h"
#include "package/dts/package.h"

namespace kpx {
namespace {

std::shared_ptr<cKPXWizard>& currentWizard() {
  static std::shared_ptr<cKPXWizard> wizard;
  return wizard;
}

WizardWindowRunner& windowRunner() {
  static WizardWindowRunner runner;
  return runner;
}

// The folder of the file this code was loaded from (the shared library, or the program
// that links the component statically).
std::string componentFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&componentFolder), &info) && info.dli_fname)
    return withTrailingSeparator(parentFolder(info.dli_fname));
  return "/";
}

// A host that loaded the component alone gets the windows from libkpxwizard-ui beside it,
// which registers them as it loads. Returns why that failed ("" when it did not).
std::string loadWindowLibrary() {
  std::string why;
  for (const char* name : {"libkpxwizard-ui.so.0", "libkpxwizard-ui.so"}) {
    if (dlopen((componentFolder() + name).c_str(), RTLD_NOW | RTLD_GLOBAL)) return {};
    if (why.empty()) why = dlerror();
  }
  return why;
}

}  // namespace

std::shared_ptr<cKPXWizard> oWizard() { return currentWizard(); }

void registerWizardWindow(WizardWindowRunner runner) { windowRunner() = std::move(runner); }

MainWindowState& mainWindowState() {
  static MainWindowState state;
  return state;
}

void resetMainWindowMembers() {
  MainWindowState& state = mainWindowState();
  MainWindowState fresh;
  fresh.NewTableRequested = state.NewTableRequested;
  fresh.SqlServerNames = std::move(state.SqlServerNames);
  state = std::move(fresh);
}

cKPXWizard::cKPXWizard() : m_logFilePath(componentFolder()) {}

cKPXWizard::~cKPXWizard() = default;

std::shared_ptr<cKPXWizard> cKPXWizard::create() {
  std::shared_ptr<cKPXWizard> wizard(new cKPXWizard());
  if (!oPackage()) oPackage() = std::make_shared<dts::Package>();
  wizard->m_package = std::make_shared<clsPackage>();
  wizard->m_package->setPackageName("KPX Wizard IO");
  wizard->m_package->CreatePackage(oPackage());
  currentWizard() = wizard;
  return wizard;
}

void cKPXWizard::CloseWizard() { currentWizard().reset(); }

void cKPXWizard::setLogFilePath(const std::string& v) { m_logFilePath = withTrailingSeparator(v); }

void cKPXWizard::setLockSource(bool v) {
  if (!v) return;  // a put of false is ignored: only true is ever stored
  if (!m_source || m_source->Database().empty())
    throw AutomationError(
        kErrConnectionNotSet, m_appName,
        "Attenzione:impossibile assegnare LockSource=true per la Connessione non ancora settata");
  m_lockSource = true;
}

void cKPXWizard::setLockDestination(bool v) {
  m_lockDestination = v;
  if (v && (!m_destination || m_destination->Database().empty()))
    throw AutomationError(kErrConnectionNotSet, m_appName,
                          "Attenzione:impossibile assegnare LockDestination=True per la "
                          "Connessione non ancora settata");
}

bool cKPXWizard::ActivateWizard() {
  try {
    std::string why;
    if (!windowRunner()) why = loadWindowLibrary();
    if (!windowRunner())
      throw AutomationError(kErrUnspecified, m_appName,
                            "The wizard windows are not available (" + why +
                                "): install libkpxwizard-ui beside libkpxwizard, or run the "
                                "transfer without a window");
    return windowRunner()(*this);
  } catch (...) {
    ShowProcedureError("cKPXWizard", "ActivateWizard");
    return false;
  }
}

uint32_t cKPXWizard::advise(std::shared_ptr<WizardEventSink> sink) {
  uint32_t cookie = m_nextCookie++;
  m_sinks.emplace_back(cookie, std::move(sink));
  return cookie;
}

void cKPXWizard::unadvise(uint32_t cookie) {
  std::erase_if(m_sinks, [cookie](const auto& entry) { return entry.first == cookie; });
}

void cKPXWizard::raiseOnStart(const std::string& eventSource) {
  for (auto sinks = m_sinks; auto& [cookie, sink] : sinks) sink->OnStart(eventSource);
}

void cKPXWizard::raiseOnProgress(const std::string& eventSource, const std::string& description,
                                 int32_t percent, int32_t countLow, int32_t countHigh) {
  for (auto sinks = m_sinks; auto& [cookie, sink] : sinks)
    sink->OnProgress(eventSource, description, percent, countLow, countHigh);
}

void cKPXWizard::raiseOnFinish(const std::string& eventSource) {
  for (auto sinks = m_sinks; auto& [cookie, sink] : sinks) sink->OnFinish(eventSource);
}

void cKPXWizard::raiseOnQueryCancel(const std::string& eventSource, bool& cancel) {
  for (auto sinks = m_sinks; auto& [cookie, sink] : sinks) sink->OnQueryCancel(eventSource, cancel);
}

}  // namespace kpx
