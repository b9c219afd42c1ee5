#include "package/cls_package.h"

#include "package/dts/package.h"

namespace kpx {

std::shared_ptr<dts::Package>& oPackage() {
  static std::shared_ptr<dts::Package> package;
  return package;
}

clsPackage::~clsPackage() {
  m_package.reset();
  oPackage().reset();
}

void clsPackage::CreatePackage(std::shared_ptr<dts::Package>& package) {
  m_package = package;
  dts::Package& p = *m_package;
  p.Name = m_packageName;
  p.Description = m_packageName;
  p.WriteCompletionStatusToNTEventLog = false;
  p.FailOnError = false;
  p.PackagePriorityClass = dts::kPriorityClassNormal;
  p.MaxConcurrentSteps = dts::kMaxConcurrentSteps;
  p.LineageOptions = 0;
  p.UseTransaction = true;
  p.TransactionIsolationLevel = dts::kIsolationReadCommitted;
  p.AutoCommitTransaction = true;
  p.RepositoryMetadataOptions = 0;
  p.UseOLEDBServiceComponents = true;
  p.LogToSQLServer = false;
  p.LogServerFlags = 0;
  p.FailPackageOnLogFailure = false;
  p.ExplicitGlobalVariables = false;
  p.PackageType = 0;
}

}  // namespace kpx
