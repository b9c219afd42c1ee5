// The server a SQL Server connection names ("host", "host\instance", "host,port") in the
// form FreeTDS opens ("host", "host\instance", "host:port").
#pragma once
#include <string>

namespace kpx::data {

// DataError when the text names no server or its port is not a number.
std::string freetdsServerName(const std::string& dataSource);

}  // namespace kpx::data
