// The component keeps module-level state between calls (as the original modules did); tests
// start from a clean slate with one call.
#pragma once

namespace kpx::test {

void resetSharedState();

}  // namespace kpx::test
