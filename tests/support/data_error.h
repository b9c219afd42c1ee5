// What a data source says when it refuses: the text of the DataError an action throws.
#pragma once
#include <string>

#include "data/providers/provider.h"

namespace kpx::test {

// The message of the DataError `action` throws; "" when it throws none.
template <class Action>
std::string dataErrorOf(Action&& action) {
  try {
    action();
  } catch (const kpx::data::DataError& e) {
    return e.what();
  }
  return {};
}

}  // namespace kpx::test
