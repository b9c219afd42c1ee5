// Column types chosen for a new table made from a text file, in place of the flat file's
// (all text): set by a host that has read the file, used when the table's definition is made.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "data/mod_database.h"
#include "data/text/column_type_inference.h"

namespace kpx::modDatabase {

struct ChosenColumnType {
  int32_t adoType = 0;
  int32_t size = 0;  // characters, for text
};

// By source column name; empty (as it starts) keeps the flat file's types.
std::map<std::string, ChosenColumnType>& chosenTextColumnTypes();

// The type a new column takes for an inferred one. Day-first and month-first dates are
// Datetime too: the text file's reader hands them on as dates (see textColumnDateOrders).
ChosenColumnType chosenTypeFor(const data::InferredColumn& inferred);

// Replaces the types of a text file's structure rows named in chosenTextColumnTypes() with
// the destination's names for them.
void applyChosenTextColumnTypes(StructureArray& structure, const clsConnection& destination);

}  // namespace kpx::modDatabase
