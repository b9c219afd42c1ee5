// Emptying the destination table before a transfer, as the wizard's "delete the existing rows"
// option does when the mapping is applied; also used by kpxwizard copy --replace.
#pragma once
#include <string>
#include "kpxwizard/export.h"

#include "kpxwizard/wizard.h"

namespace kpx {

// The table as the delete statement names it: `Table` for Access and Excel kinds,
// [Database].[dbo].[Table] for SQL Server, nothing for other kinds.
std::string QualifiedTableName(const clsConnection& destination);

// Deletes the rows of the wizard's destination table ("delete from " + QualifiedTableName).
// A database table's rows go inside the next transfer's transaction into that table, so a
// failed run keeps them; other kinds run the statement at once through a one-shot package.
// False after the message that says why.
KPX_WINDOWS_API bool DeleteDestinationRows(cKPXWizard& wizard);

}  // namespace kpx
