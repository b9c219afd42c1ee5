// What the component calls to show its windows: ActivateWizard reaches runWizardWindow once
// installWizardWindow has registered it.
#pragma once
#include <string>

#include "kpxwizard/wizard.h"

namespace kpx::ui {

// Registers runWizardWindow with the component.
void installWizardWindow();

// Why no window can be shown in this process ("" when one can): without a QApplication of
// the host, a display (DISPLAY or WAYLAND_DISPLAY) or a display-less platform plugin chosen
// in QT_QPA_PLATFORM is needed, since Qt ends the process when it finds none.
std::string displayProblem();

// Shows the main window on `wizard` modally, making the QApplication when the host has none;
// message boxes are Qt's while it is open. True once it has closed. Throws AutomationError
// when no window can be shown.
bool runWizardWindow(cKPXWizard& wizard);

}  // namespace kpx::ui
