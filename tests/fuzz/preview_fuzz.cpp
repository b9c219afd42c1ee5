// The text preview on arbitrary file contents: the first byte picks the delimiter and flag,
// the rest is written to a temporary file that CreatePreview reads.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "data/mod_main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kpx_preview_fuzz_" + std::to_string(::getpid()) + ".txt";
  static const char* const delimiters[] = {"{CR}{LF}",        "{CR}",   "{LF}", "Virgola", "2", "3",
                                           "Barra Verticale", "Unknown"};
  if (size == 0) return 0;
  const char* delimiter = delimiters[data[0] % 8];
  int16_t flag = static_cast<int16_t>((data[0] >> 3) % 4) - 1;  // -1, 0, 1 or 2
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);
  kpx::modMain::ClearPreview();
  int16_t result = kpx::modMain::CreatePreview(path, delimiter, flag);
  if (result != 1 && result != -2) __builtin_trap();
  return 0;
}
