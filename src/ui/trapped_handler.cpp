#include "ui/trapped_handler.h"

#include "kpxwizard/messages.h"

namespace kpx::ui {

void runTrapped(const char* window, const char* procedure, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    ShowProcedureError(window, procedure);
  }
}

}  // namespace kpx::ui
