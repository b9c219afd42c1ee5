// The copy transformations a command-line copy makes itself: source column i to destination
// column i, or, by name, each source column to the destination column of the same name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "kpxwizard/wizard.h"

namespace kpx::cli {

// Fills the wizard's Transformations (emptied first) with one copy per pair, keyed as the
// automatic mapping keys them ("tra" + position + source name). By position, pairs run to the
// shorter list; by name, names compare without regard to case and unmatched columns are left
// out. For a text destination, its ColumnNames, ColumnLengths and NumberColumns follow the
// mapped source columns (`fixedWidths`, when given, replace the lengths). Returns the number
// of pairs.
int32_t pairColumns(cKPXWizard& wizard, bool byName, const std::vector<int>& fixedWidths = {});

// Lines naming the source columns no transformation reads and the destination columns none
// fills (each line only when there are some), so that nothing is left out without a word.
std::string unpairedColumnsNote(cKPXWizard& wizard);

// Makes the destination's columns those of the source (for a text file that is written new).
void copySourceColumnsToDestination(cKPXWizard& wizard);

}  // namespace kpx::cli
