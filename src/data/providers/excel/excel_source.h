// Excel workbooks (.xls of every generation, .xlsx) as a data source: each worksheet is a
// table "Name$" whose first row names the columns, as Jet's Excel driver shows them.
#pragma once
#include <memory>

#include "data/providers/connection_properties.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {

// Opens the workbook named by "Data Source". "Extended Properties" may say HDR=NO (the
// first row is data). A workbook that does not exist yet opens empty, so that CREATE TABLE
// can make it; reading a table from it is a DataError naming the file. Throws DataError
// naming the file when it exists but cannot be read.
std::unique_ptr<DataSource> openExcelWorkbook(const ConnectionProperties& properties);

}  // namespace kpx::data::excel
