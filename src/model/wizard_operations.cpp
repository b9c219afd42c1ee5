// The wizard's operations that build columns, map them, run the transfer and save or load
// a configuration. Each traps its errors: the standard error report names the operation and
// the operation returns its failure value.
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace kpx {
namespace {
[[noreturn]] void notAvailable(const cKPXWizard& wizard, const char* operation) {
  throw AutomationError(kErrUnspecified, wizard.AppName(),
                        std::string(operation) + " is not available in this build");
}
}  // namespace

int16_t cKPXWizard::BuildColumns(const std::shared_ptr<clsConnection>&,
                                 const std::shared_ptr<clsConnection>&) {
  try {
    notAvailable(*this, "BuildColumns");
  } catch (...) {
    ShowProcedureError("cKPXWizard", "BuildColumns");
    return -1;
  }
}

bool cKPXWizard::Mapping() {
  try {
    notAvailable(*this, "Mapping");
  } catch (...) {
    ShowProcedureError("cKPXWizard", "Mapping");
    return false;
  }
}

bool cKPXWizard::Execute() {
  try {
    notAvailable(*this, "Execute");
  } catch (...) {
    ShowProcedureError("cKPXWizard", "Execute");
    return false;
  }
}

bool cKPXWizard::LoadFromINIFile(const std::string&) {
  try {
    notAvailable(*this, "LoadFromINIFile");
  } catch (...) {
    ShowProcedureError("cKPXWizard", "LoadFromINIFile");
    return false;
  }
}

bool cKPXWizard::SaveIntoINIFile(const std::string&) {
  try {
    notAvailable(*this, "SaveIntoINIFile");
  } catch (...) {
    ShowProcedureError("cKPXWizard", "SaveIntoINIFile");
    return false;
  }
}

}  // namespace kpx
