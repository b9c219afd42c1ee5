// The types the columns of a text file really hold, read in one pass over all of its rows:
// what inspect --infer prints and what copy --infer-types gives a new table.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "data/text/column_type_inference.h"
#include "kpxwizard/connection.h"

namespace kpx::cli {

struct InferredColumnType {
  std::string name;
  data::InferredColumn inferred;
};

// Reads every row of the text file of `source`; rows that cannot be read are skipped, and
// counted in the row numbers as the error log counts them. Throws CliError naming the file
// when it cannot be read.
std::vector<InferredColumnType> inferTextColumnTypes(const clsConnection& source);

// One line per column: "qty: Long — 1,000 values, all whole, from -3 to 98,211".
void printInferredTypes(std::ostream& out, const std::vector<InferredColumnType>& columns);

// Makes a new table from `source` take the inferred types (copy --infer-types) and prints
// them; the choice is dropped when the returned object goes. Day-first and month-first dates
// are read as dates in their order when `datesInOrder`; otherwise (a transfer saved to be run
// again, which reads the file without the order) their columns stay text of their width.
class InferredNewTableTypes {
 public:
  InferredNewTableTypes(const clsConnection& source, std::ostream& out, bool datesInOrder);
  ~InferredNewTableTypes();
  InferredNewTableTypes(const InferredNewTableTypes&) = delete;
  InferredNewTableTypes& operator=(const InferredNewTableTypes&) = delete;
};

}  // namespace kpx::cli
