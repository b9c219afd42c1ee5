// A package connection: an OLE DB provider by name and the values that open it.
#pragma once
#include <cstdint>
#include <string>

#include "data/providers/connection_properties.h"
#include "package/dts/dts_list.h"

namespace kpx::dts {

struct Connection {
  std::string ProviderName;  // "Microsoft.Jet.OLEDB.4.0", "DTSFlatFile", "SQLOLEDB", …
  int32_t ID = 0;            // tasks name their connections by this ID
  std::string Name;
  std::string Description;
  std::string DataSource;  // file path or server
  std::string Catalog;     // database on a server
  std::string UserID;
  std::string Password;
  bool UseTrustedConnection = false;
  // OLE DB properties by name, in the order set ("Data Source", "Mode", "Skip Rows", …).
  PropertySet ConnectionProperties;
};

// The provider properties that open `connection`: "Provider" from ProviderName; "Data
// Source", "Initial Catalog", "User ID", "Password" from the fields when set; "Integrated
// Security"="SSPI" for a trusted connection; then every property of ConnectionProperties
// as text, which wins over a field of the same name.
data::ConnectionProperties providerProperties(const Connection& connection);

}  // namespace kpx::dts
