// Reads a whole RowReader into text, for comparing rows against expected tables.
#pragma once
#include <string>
#include <vector>

#include "data/providers/provider.h"

namespace kpx::test {

using TextRows = std::vector<std::vector<std::string>>;

// Every remaining row, each value as toText writes it and "<null>" for a null. With
// `withKinds`, values that are not text carry their kind's initial ("d:" double, "c:"
// currency, "t:" date, "b:" boolean, "i:" integer, "n:" decimal, "g:" GUID, "?:" any other), so
// kinds are compared too.
TextRows readRowsAsText(kpx::data::RowReader& reader, bool withKinds = false);

}  // namespace kpx::test
