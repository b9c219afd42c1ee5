#include "package/dts/open_connections.h"

namespace kpx::dts {

data::DataSource& OpenConnections::get(const DtsList<Connection>& connections, int32_t id) {
  std::shared_ptr<Connection> wanted;
  for (const auto& connection : connections) {
    if (connection->ID == id) {
      wanted = connection;
      break;
    }
  }
  if (!wanted) {
    throw DtsError(kErrNotFound, kSourcePackage,
                   "The package has no connection with ID " + std::to_string(id));
  }
  for (const auto& [connection, source] : m_open) {
    if (connection == wanted) return *source;
  }
  auto source = data::openDataSource(providerProperties(*wanted));
  m_open.emplace_back(wanted, std::move(source));
  return *m_open.back().second;
}

}  // namespace kpx::dts
