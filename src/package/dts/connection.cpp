#include "package/dts/connection.h"

namespace kpx::dts {

data::ConnectionProperties providerProperties(const Connection& connection) {
  data::ConnectionProperties properties;
  properties.set("Provider", connection.ProviderName);
  const auto setField = [&](const char* name, const std::string& value) {
    if (!value.empty()) properties.set(name, value);
  };
  setField("Data Source", connection.DataSource);
  setField("Initial Catalog", connection.Catalog);
  setField("User ID", connection.UserID);
  setField("Password", connection.Password);
  if (connection.UseTrustedConnection) properties.set("Integrated Security", "SSPI");
  for (const auto& property : connection.ConnectionProperties) {
    properties.set(property.Name, propertyText(property.Value));
  }
  return properties;
}

}  // namespace kpx::dts
