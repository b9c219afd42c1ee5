#include <string>
#include <string_view>

#include "kpxwizard/keyed_collection.h"
#include "model/vb_strings.h"

namespace kpx {

// Keys compare as their upper-cased forms; one case mapping serves the whole system.
std::string foldCase(std::string_view text) {
  return vb::UCase(text);
}

}  // namespace kpx
