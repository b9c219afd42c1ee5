#include "data/providers/text_compare.h"

#include "kpxwizard/keyed_collection.h"

namespace kpx::data {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  bool ascii = true;
  if (a.size() == b.size()) {
    for (size_t i = 0; i < a.size(); ++i) {
      unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
      if (x >= 0x80 || y >= 0x80) {
        ascii = false;
        break;
      }
      if (x >= 'a' && x <= 'z') x -= 32;
      if (y >= 'a' && y <= 'z') y -= 32;
      if (x != y) return false;
    }
    if (ascii) return true;
  }
  // Multi-byte letters can fold to a different length, so fold both whole.
  return kpx::foldCase(a) == kpx::foldCase(b);
}

}  // namespace kpx::data
