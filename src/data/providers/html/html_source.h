// HTML pages as a read-only data source: every table of the page is a table of the source.
#pragma once
#include <memory>

#include "data/providers/provider.h"

namespace kpx::data {

// Opens the HTML file named by "Data Source" ("Extended Properties=HTML Import"; "User ID" is
// not needed). The page is read once, here, as UTF-8, UTF-16 with its BOM or, when its bytes
// are not UTF-8, Windows-1252; its tables are named as parseHtmlTables names them,
// their first row gives the column names (an empty one gives F1, F2… by position) and the
// columns are typed by the every-row rule of typeColumns. Queries run over the tables through
// runQueryOver; writing is refused with a DataError. Throws DataError naming the file when it
// cannot be read.
std::unique_ptr<DataSource> openHtmlSource(const ConnectionProperties& properties);

// The same over a page already in memory; `origin` names it in error descriptions.
std::unique_ptr<DataSource> openHtmlText(std::string_view html, const std::string& origin);

}  // namespace kpx::data
