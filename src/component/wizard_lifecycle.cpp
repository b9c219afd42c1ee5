// Creating a wizard on the shared package, and showing it through the windows the UI
// library installs.
#include <dlfcn.h>

#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/current_wizard.h"
#include "model/paths.h"
#include "package/cls_package.h"
#include "package/dts/package.h"

namespace kpx {
namespace {

WizardWindowRunner& windowRunner() {
  static WizardWindowRunner runner;
  return runner;
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

void registerWizardWindow(WizardWindowRunner runner) {
  windowRunner() = std::move(runner);
}

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

}  // namespace kpx
