// SQL Server ("SQLOLEDB") through FreeTDS: catalog, readers, SQL tasks and a writer that
// inserts rows with bound parameters inside one transaction.
#pragma once
#include "data/providers/provider.h"

namespace kpx::data {

class SqlServerProvider : public Provider {
 public:
  std::string name() const override { return "SQLOLEDB"; }
  // "Data Source" (server[\instance][,port]), "Initial Catalog", "User ID", "Password";
  // "Integrated Security" or "Trusted_Connection" ask for a Kerberos login.
  std::unique_ptr<DataSource> open(const ConnectionProperties& properties) override;
};

}  // namespace kpx::data
