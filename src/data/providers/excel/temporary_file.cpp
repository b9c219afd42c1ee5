#include "data/providers/excel/temporary_file.h"

#include <unistd.h>

#include <cstdlib>

namespace kpx::data::excel {

int unnamedTemporaryFile(const char* prefix, std::string& folder) {
  const char* dir = std::getenv("TMPDIR");
  folder = dir && *dir ? dir : "/tmp";
  std::string name = folder + "/" + prefix + "-XXXXXX";
  int fd = ::mkstemp(name.data());
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

}  // namespace kpx::data::excel
