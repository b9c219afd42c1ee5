// The error trap every window handler runs under: a failure inside is reported with the
// standard error report naming the window and the handler, and the window stays as it is.
#pragma once
#include <functional>

namespace kpx::ui {

void runTrapped(const char* window, const char* procedure, const std::function<void()>& handler);

}  // namespace kpx::ui
