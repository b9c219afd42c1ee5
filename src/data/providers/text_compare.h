// Name comparison of this layer: table, column and property names compare without regard
// to case (Latin, Greek and Cyrillic letters, as the object model folds them).
#pragma once
#include <string_view>

namespace kpx::data {

// True when `a` and `b` are equal once both are upper-cased.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kpx::data
