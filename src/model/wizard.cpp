#include "kpxwizard/wizard.h"

#include "model/main_window_state.h"

namespace kpx {
namespace {
std::shared_ptr<cKPXWizard>& currentWizard() {
  static std::shared_ptr<cKPXWizard> wizard;
  return wizard;
}
}  // namespace

std::shared_ptr<cKPXWizard> oWizard() { return currentWizard(); }

MainWindowState& mainWindowState() {
  static MainWindowState state;
  return state;
}

cKPXWizard::cKPXWizard() = default;
cKPXWizard::~cKPXWizard() = default;

std::shared_ptr<cKPXWizard> cKPXWizard::create() {
  std::shared_ptr<cKPXWizard> wizard(new cKPXWizard());
  currentWizard() = wizard;
  return wizard;
}

void cKPXWizard::CloseWizard() { currentWizard().reset(); }

}  // namespace kpx
