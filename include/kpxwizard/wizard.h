// The object a host creates: the whole description of one transfer and the operations that
// show the wizard or run the transfer without a window.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "kpxwizard/connection.h"
#include "kpxwizard/transformations.h"

namespace kpx {

class cKPXWizard : public std::enable_shared_from_this<cKPXWizard> {
 public:
  // Creates a wizard with its defaults and makes it the current wizard (oWizard()).
  static std::shared_ptr<cKPXWizard> create();
  ~cKPXWizard();

  const std::string& AppName() const { return m_appName; }
  void setAppName(std::string v) { m_appName = std::move(v); }
  std::shared_ptr<clsConnection> Source() const { return m_source; }
  std::shared_ptr<clsConnection> Destination() const { return m_destination; }
  std::shared_ptr<clsTransformations> Transformations() const { return m_transformations; }
  void setTransformations(std::shared_ptr<clsTransformations> v) { m_transformations = std::move(v); }
  // 1 selects Italian, every other value English; stored as given.
  int32_t Language() const { return m_language; }
  void setLanguage(int32_t v) { m_language = v; }

  // Drops the component's own reference (oWizard()).
  void CloseWizard();

 protected:
  cKPXWizard();
  std::string m_appName = "KPX WIZARD IO";
  std::shared_ptr<clsConnection> m_source = std::make_shared<clsConnection>();
  std::shared_ptr<clsConnection> m_destination = std::make_shared<clsConnection>();
  std::shared_ptr<clsTransformations> m_transformations = std::make_shared<clsTransformations>();
  int32_t m_language = kpxLanguageEnglish;
};

// The current wizard: the one created last, until CloseWizard. May be null.
std::shared_ptr<cKPXWizard> oWizard();

}  // namespace kpx
