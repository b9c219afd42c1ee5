// The data sources a package run has opened, kept open from step to step until the package
// is uninitialized, as the package library kept its connections.
#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "data/providers/provider.h"
#include "package/dts/connection.h"
#include "package/dts/dts_list.h"

namespace kpx::dts {

class OpenConnections {
 public:
  // The open data source of the package connection with that ID, opened on first use.
  // DtsError kErrNotFound when the package has no such connection; data::DataError when it
  // does not open.
  data::DataSource& get(const DtsList<Connection>& connections, int32_t id);
  void closeAll() { m_open.clear(); }

 private:
  std::vector<std::pair<std::shared_ptr<Connection>, std::unique_ptr<data::DataSource>>> m_open;
};

}  // namespace kpx::dts
