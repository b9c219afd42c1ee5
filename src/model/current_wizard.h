// The process-wide slot that oWizard() reads: set when a wizard is created, emptied by
// CloseWizard.
#pragma once
#include <memory>

#include "kpxwizard/wizard.h"

namespace kpx {

std::shared_ptr<cKPXWizard>& currentWizard();

}  // namespace kpx
