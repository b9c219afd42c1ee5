// Creating a wizard on the shared package, and showing it through the windows the UI
// library installs.
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/current_wizard.h"
#include "package/cls_package.h"
#include "package/dts/package.h"

namespace kpx {
namespace {

WizardWindowRunner& windowRunner() {
  static WizardWindowRunner runner;
  return runner;
}

}  // namespace

void registerWizardWindow(WizardWindowRunner runner) { windowRunner() = std::move(runner); }

std::shared_ptr<cKPXWizard> cKPXWizard::create() {
  std::shared_ptr<cKPXWizard> wizard(new cKPXWizard());
  if (!oPackage()) oPackage() = std::make_shared<dts::Package>();
  wizard->m_package = std::make_shared<clsPackage>();
  wizard->m_package->setPackageName("KPX Wizard IO");
  wizard->m_package->CreatePackage(oPackage());
  currentWizard() = wizard;
  return wizard;
}

bool cKPXWizard::ActivateWizard() {
  try {
    if (!windowRunner())
      throw AutomationError(kErrUnspecified, m_appName,
                            "The wizard windows are not available: load libkpxwizard-ui and "
                            "run with a display, or run the transfer headless");
    return windowRunner()(*this);
  } catch (...) {
    ShowProcedureError("cKPXWizard", "ActivateWizard");
    return false;
  }
}

}  // namespace kpx
