// The shared library's own translation unit: everything else is linked in whole from the
// area libraries. The library's version, for hosts that check what they loaded.
extern "C" __attribute__((visibility("default"))) const char* kpxLibraryVersion() {
  return "0.1.0";
}
