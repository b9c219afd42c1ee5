// A data pump's transformations compiled once before its rows flow: for every destination
// column, the source column it copies or the constant it takes.
#pragma once
#include <string>
#include <vector>

#include "data/providers/provider.h"
#include "package/dts/tasks.h"

namespace kpx::dts {

struct PumpSlot {
  int source = -1;  // ordinal in the source row, or -1 for the constant
  data::StoredValue constant;
};

struct PumpPlan {
  std::vector<std::string> destinationColumns;  // for openWriter, one per slot
  std::vector<PumpSlot> slots;
};

// Compiles the pump's transformations against the source's columns. Copies find their
// source columns by name; copies without columns pair every source column with the
// destination table's column at its position; scripts are read into their constants.
// Throws DtsError naming the transformation for a missing column, a column set twice, a
// script that cannot be read, or a pump without transformations.
PumpPlan compilePumpPlan(const DataPumpTask& pump,
                         const std::vector<data::ColumnInfo>& sourceColumns,
                         data::DataSource& destination);

}  // namespace kpx::dts
