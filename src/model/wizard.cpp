#include "kpxwizard/wizard.h"

#include <dlfcn.h>

#include <algorithm>

#include "kpxwizard/messages.h"
#include "model/current_wizard.h"
#include "model/main_window_state.h"
#include "model/paths.h"

namespace kpx {

std::string componentFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&componentFolder), &info) && info.dli_fname)
    return withTrailingSeparator(parentFolder(info.dli_fname));
  return "/";
}

std::shared_ptr<cKPXWizard>& currentWizard() {
  static std::shared_ptr<cKPXWizard> wizard;
  return wizard;
}

std::shared_ptr<cKPXWizard> oWizard() {
  return currentWizard();
}

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

void cKPXWizard::CloseWizard() {
  currentWizard().reset();
}

void cKPXWizard::setLogFilePath(const std::string& v) {
  m_logFilePath = withTrailingSeparator(v);
}

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
