// Loading libkpxwizard-ui registers the wizard windows with the component, so that a host
// (or the component itself, when ActivateWizard finds no windows) only has to load it.
#include "ui/wizard_window.h"

namespace {

const bool registered = [] {
  kpx::ui::installWizardWindow();
  return true;
}();

}  // namespace
