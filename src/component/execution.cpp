// Running a transfer: the build of the package for the wizard's connections and
// transformations, the relay of its events to the host, and the report of its outcome.
#include "config/mod_ini_api.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/error_log_place.h"
#include "model/paths.h"
#include "package/cls_package.h"
#include "package/cls_task.h"
#include "package/dts/package.h"
#include "package/execution_state.h"

namespace kpx {
namespace {

// Passes a builder's events on as the wizard's public events, arguments unchanged.
class WizardTaskRelay : public TaskEventSink {
 public:
  explicit WizardTaskRelay(cKPXWizard& wizard) : m_wizard(wizard) {}
  void OnStart(const std::string& source) override { m_wizard.raiseOnStart(source); }
  void OnProgress(const std::string& source, const std::string& description, int32_t percent,
                  int32_t low, int32_t high) override {
    m_wizard.raiseOnProgress(source, description, percent, low, high);
  }
  void OnFinish(const std::string& source) override { m_wizard.raiseOnFinish(source); }
  void OnQueryCancel(const std::string& source, bool& cancel) override {
    m_wizard.raiseOnQueryCancel(source, cancel);
  }

 private:
  cKPXWizard& m_wizard;
};

}  // namespace

std::shared_ptr<clsTask> cKPXWizard::newTask() {
  if (!m_taskRelay) m_taskRelay = std::make_shared<WizardTaskRelay>(*this);
  return std::make_shared<clsTask>(m_taskRelay.get());
}

bool cKPXWizard::Execute() {
  bool result = false;
  try {
    SetTransformationsFromColumns(m_source, m_destination);
    m_cTask.reset();
    m_cTask = newTask();
    if (!oPackage()) throw AutomationError(91, m_appName, "The package has not been created");
    if (oPackage()->Connections.Count() > 0) {
      m_cTask->RemoveConnections();
      m_cTask->RemoveTaskTrasformation();
      m_cTask->RemoveStepTrasformation();
    }
    m_cTask->CreateDTSConnection(*m_source);
    m_cTask->CreateDTSConnection(*m_destination);
    m_cTask->CreateTaskTrasformation();
    if (m_cTask->CreateStepTaskTrasf() >= 1) {
      if (executionState().nPackageErrors > 0) {
        if (ShowMessage(GetResText(548), vbQuestionYesNo) == vbYes)
          modINIApi::OpenWithShell(0, errorLogFileInUse(m_logFilePath), 1);
      } else {
        ShowMessage(GetResText(504), vbInformation);
        // A rehearsal imports nothing.
        if (!m_dryRun) ++m_countCorrectImport;
      }
    }
    executionState().nPackageErrors = 0;
    result = true;
  } catch (...) {
    ckpx_Error error = ckpx_Error::fromException(std::current_exception());
    std::string title = oPackage() ? oPackage()->Name : m_appName;
    ShowMessage(buildPackageFailure(error, oPackage().get()), vbCritical, title);
  }
  m_cTask.reset();
  return result;
}

}  // namespace kpx
