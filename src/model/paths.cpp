#include "model/paths.h"

namespace kpx {

std::string withTrailingSeparator(std::string_view path) {
  if (path.empty()) return "/";
  char last = path.back();
  if (last == '/' || last == '\\') return std::string(path);
  bool windowsStyle =
      path.find('\\') != std::string_view::npos && path.find('/') == std::string_view::npos;
  return std::string(path) + (windowsStyle ? '\\' : '/');
}

std::string errorLogFile(const std::string& logFilePath) {
  return logFilePath + "KPXWIZARD_ERROR.txt";
}

std::string parentFolder(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

}  // namespace kpx
