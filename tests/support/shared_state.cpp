#include "support/shared_state.h"

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "model/main_window_state.h"
#include "package/execution_state.h"

namespace kpx::test {

void resetSharedState() {
  modDatabase::resetState();
  modMain::resetState();
  resetMainWindowMembers();
  mainWindowState().NewTableRequested = false;
  executionState() = ExecutionState();
}

}  // namespace kpx::test
