#include "cli/created_table_guard.h"

#include "data/providers/provider.h"
#include "data/quoted_name.h"

namespace kpx::cli {

CreatedTableGuard::CreatedTableGuard(std::shared_ptr<clsConnection> destination)
    : m_destination(std::move(destination)) {}

CreatedTableGuard::~CreatedTableGuard() {
  if (!m_destination || m_kept) return;
  data::ConnectionProperties properties;
  properties.set("Provider", "SQLOLEDB");
  properties.set("Data Source", m_destination->Server());
  properties.set("Initial Catalog", m_destination->Database());
  properties.set("User ID", m_destination->User());
  properties.set("Password", m_destination->Password());
  try {
    data::openDataSource(properties)
        ->execute("DROP TABLE " + QuoteName(m_destination->TableName(), "[", "]"));
  } catch (const data::DataError&) {
    // A server that cannot be reached now keeps the empty table; the run has failed already.
  }
}

}  // namespace kpx::cli
