// The shared library's own translation unit: everything else is linked in whole from the
// area libraries. The library's version, for hosts that check what they loaded.
#include "kpxwizard/export.h"

extern "C" KPX_API const char* kpxLibraryVersion() {
  return "0.1.0";
}
