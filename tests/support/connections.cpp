#include "support/connections.h"

namespace kpx::test {

std::shared_ptr<clsConnection> tableConnection(int32_t kind, const std::string& path,
                                               const std::string& table, int32_t tableType) {
  auto c = std::make_shared<clsConnection>();
  c->setProvider(kind);
  c->setDatabase(path);
  c->setTableName(table);
  c->setTableType(tableType);
  return c;
}

std::shared_ptr<clsConnection> textConnection(const std::string& path, int32_t format,
                                              int32_t rowDelimiter,
                                              const std::string& columnDelimiter) {
  auto c = std::make_shared<clsConnection>();
  c->setProvider(CONN_TEXTFILE);
  c->setDatabase(path);
  c->setFormatFile(format);
  c->setRowDelimiter(rowDelimiter);
  c->setColumnDelimiter(columnDelimiter);
  return c;
}

}  // namespace kpx::test
