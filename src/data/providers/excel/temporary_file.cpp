#include "data/providers/excel/temporary_file.h"

#include <unistd.h>

#include <cstdlib>

namespace kpx::data::excel {

std::string temporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

int unnamedTemporaryFile(const char* prefix, std::string& folder) {
  folder = temporaryFolder();
  std::string name = folder + "/" + prefix + "-XXXXXX";
  int fd = ::mkstemp(name.data());
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

}  // namespace kpx::data::excel
