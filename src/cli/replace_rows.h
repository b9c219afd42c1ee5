// Empties the destination table before a copy (--replace), with the delete statement the
// wizard's replace option runs.
#pragma once
#include <string>

#include "kpxwizard/wizard.h"

namespace kpx::cli {

// "delete from `Table`" for Access and Excel kinds, "delete from [Database].[dbo].[Table]" for
// SQL Server, "delete from " for other kinds.
std::string deleteRowsStatement(const clsConnection& destination);

// Deletes the rows of the wizard's destination table; false after the message that says why.
bool deleteDestinationRows(cKPXWizard& wizard);

}  // namespace kpx::cli
