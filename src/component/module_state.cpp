#include "component/module_state.h"

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "model/current_wizard.h"
#include "model/main_window_state.h"
#include "package/cls_package.h"
#include "package/execution_state.h"

namespace kpx {

void resetModuleState() {
  currentWizard().reset();
  oPackage().reset();
  mainWindowState() = MainWindowState();
  modDatabase::resetState();
  modMain::resetState();
  executionState() = ExecutionState();
}

}  // namespace kpx
