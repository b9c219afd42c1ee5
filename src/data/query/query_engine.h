// SELECT queries over data sources that have no SQL of their own (Excel workbooks, HTML
// pages, Access files read through mdbtools, text files): the query runs in an in-memory
// SQLite database where each table it names is a virtual table streaming the source's rows.
#pragma once
#include <memory>
#include <string>

#include "data/providers/provider.h"

namespace kpx::data {

// Runs one SELECT over the tables of `source`, which must outlive the returned reader.
// Table names compare without regard to case, a name missing its "$" finds the Excel sheet
// that has it, and names may be written plain, in [brackets] or in `back-quotes`
// (`SHEET1$`). Text compares, groups and sorts without regard to case, as in Jet. Result
// columns that are a source column keep that column's type and size (dates stay dates);
// computed columns take their type from the first row's value. Throws DataError naming the
// query for SQL that does not run, a missing table, a statement that is not a SELECT, or a
// source row that cannot be read.
std::unique_ptr<RowReader> runQueryOver(DataSource& source, const std::string& sql);

}  // namespace kpx::data
