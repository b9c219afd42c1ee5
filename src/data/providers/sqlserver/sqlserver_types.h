// SQL Server column types as the rest of the component sees them: ADO codes for catalog
// columns and result columns, Values for fields read, and parameters for values written.
#pragma once
#include <string>

#include "data/providers/provider.h"
#include "data/providers/sqlserver/dblib_session.h"

namespace kpx::data {

// A catalog column: DATA_TYPE, CHARACTER_MAXIMUM_LENGTH (-1 for max), NUMERIC_PRECISION,
// NUMERIC_SCALE and IS_NULLABLE as INFORMATION_SCHEMA.COLUMNS gives them.
struct CatalogColumn {
  ColumnInfo info;
  std::string declaration;  // the type as a parameter declares it: "nvarchar(50)"
  int scale = -1;           // digits after the point that decimal and numeric columns keep
};
CatalogColumn catalogColumn(const std::string& name, const std::string& dataType, int64_t maxLength,
                            int precision, int scale, bool nullable);

// Column `index` (from 1) of the current result set.
ColumnInfo resultColumn(tds_dblib_dbprocess* db, int index);

// Field `index` (from 1) of the current row; text made here is kept in `buffer`.
Value resultField(tds_dblib_dbprocess* db, int index, std::string& buffer);

// `value`, already converted to the column's kind, as parameter @P<number>.
SqlParameter parameterFor(int number, const CatalogColumn& column, const Value& value);

}  // namespace kpx::data
