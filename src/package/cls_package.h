// The one package of the process and the object that names and configures it.
#pragma once
#include <memory>
#include <string>

namespace kpx {
namespace dts {
class Package;
}

// The package every build and run acts on: created with the first wizard, reused by every
// later one, released when a wizard or its clsPackage goes away.
std::shared_ptr<dts::Package>& oPackage();

class clsPackage {
 public:
  ~clsPackage();
  void setPackageName(std::string v) { m_packageName = std::move(v); }
  // Never assigned: always empty.
  const std::string& PackageFile() const { return m_packageFile; }
  bool Modified() const { return m_modified; }
  void setModified(bool v) { m_modified = v; }
  // Never assigned: always empty.
  const std::string& Server() const { return m_server; }
  // Keeps the package and sets its options for a transfer run inside one transaction.
  void CreatePackage(std::shared_ptr<dts::Package>& package);

 private:
  std::string m_packageName;
  std::string m_packageFile;
  bool m_modified = false;
  std::string m_server;
  std::shared_ptr<dts::Package> m_package;
};

}  // namespace kpx
