// The wizard's operations that save or load a configuration. Each traps its errors: the
// standard error report names the operation and the operation returns its failure value.
#include "component/configuration_file.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace kpx {

bool cKPXWizard::LoadFromINIFile(const std::string& strFileIni) {
  try {
    // A connection refused by its put leaves the property empty: load into a new one.
    if (!m_source) m_source = std::make_shared<clsConnection>();
    if (!m_destination) m_destination = std::make_shared<clsConnection>();
    return config::loadConfiguration(*this, strFileIni);
  } catch (...) {
    ShowProcedureError("cKPXWizard", "LoadFromINIFile");
    return false;
  }
}

bool cKPXWizard::SaveIntoINIFile(const std::string& strFileIni) {
  try {
    return config::saveConfiguration(*this, strFileIni);
  } catch (...) {
    ShowProcedureError("cKPXWizard", "SaveIntoINIFile");
    return false;
  }
}

}  // namespace kpx
