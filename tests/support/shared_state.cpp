#include "support/shared_state.h"

#include "component/module_state.h"

namespace kpx::test {

void resetSharedState() {
  resetModuleState();
}

}  // namespace kpx::test
