// Connections as a host program describes them, for tests.
#pragma once
#include <memory>
#include <string>

#include "kpxwizard/connection.h"

namespace kpx::test {

// A table (or, with kpxTypeQuery, a query) of a database or workbook file.
std::shared_ptr<clsConnection> tableConnection(int32_t kind, const std::string& path,
                                               const std::string& table,
                                               int32_t tableType = kpxTypeTable);

// A text file; whether its first row holds the names is left unset.
std::shared_ptr<clsConnection> textConnection(const std::string& path,
                                              int32_t format = kpxDelimitedFile,
                                              int32_t rowDelimiter = kpxCRLF,
                                              const std::string& columnDelimiter = ",");

}  // namespace kpx::test
