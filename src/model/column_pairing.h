// Pairing a source's columns with a destination's into copy transformations: the automatic
// mapping of the wizard and the command line's copy share it.
#pragma once
#include <cstdint>
#include <vector>

#include "kpxwizard/connection.h"
#include "kpxwizard/transformations.h"

namespace kpx {

enum class PairColumnsBy { Position, Name };

struct PairedColumns {
  int32_t pairs = 0;
  // The named source columns paired, and their widths, each followed by ",".
  std::string names;
  std::string widths;
};

// Adds one copy per pair to `into`, keyed "tra" + pair number + source name. By position,
// pairs run to the shorter list; by name, names compare without regard to case and unmatched
// source columns are left out. `fixedWidths`, when given, replace the source sizes as widths.
// A text destination whose paired columns have names takes them as its ColumnNames,
// ColumnLengths and NumberColumns.
PairedColumns addCopyTransformations(clsTransformations& into, const clsConnection& source,
                                     clsConnection& destination, PairColumnsBy by,
                                     const std::vector<int>& fixedWidths = {});

}  // namespace kpx
