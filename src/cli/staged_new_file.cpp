#include "cli/staged_new_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "data/providers/file_replacement.h"
#include "data/providers/provider.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;

// What stands for each staged file in messages: its path, then its folder's name followed by a
// slash (messages that give a whole path), each with what to show instead. They stay after the
// file is gone: the error that ended its run is told after that.
std::vector<std::pair<std::string, std::string>>& stagedNames() {
  static std::vector<std::pair<std::string, std::string>> names;
  return names;
}

}  // namespace

StagedNewFile::StagedNewFile(const std::string& path) : m_path(path), m_written(path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) == 0 || errno != ENOENT) return;
  try {
    m_folder = kpx::data::makeStagingFolder(path, "destination");
  } catch (const kpx::data::DataError& e) {
    throw CliError(std::string("kpxwizard copy: ") + e.what());
  }
  m_written = m_folder + "/" + fs::path(path).filename().string();
  stagedNames().emplace_back(m_written, path);
  stagedNames().emplace_back(fs::path(m_folder).filename().string() + "/", "");
}

StagedNewFile::~StagedNewFile() {
  std::error_code ec;
  if (!m_folder.empty()) fs::remove_all(m_folder, ec);
}

void StagedNewFile::keep() {
  if (m_folder.empty()) return;
  if (!kpx::data::syncFile(m_written) || ::rename(m_written.c_str(), m_path.c_str()) != 0)
    throw CliError("kpxwizard copy: the new file '" + m_path +
                   "' cannot take its place: " + std::strerror(errno));
  kpx::data::syncFolderOf(m_path);
  std::error_code ec;
  fs::remove_all(m_folder, ec);
  m_folder.clear();
  m_written = m_path;
}

std::string withStagedNamesShown(std::string text) {
  for (const auto& [staged, shown] : stagedNames())
    for (size_t at = 0; (at = text.find(staged, at)) != std::string::npos; at += shown.size())
      text.replace(at, staged.size(), shown);
  return text;
}

StagedNamesShown::int_type StagedNamesShown::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  m_line += traits_type::to_char_type(c);
  if (c == '\n' && sync() != 0) return traits_type::eof();
  return c;
}

int StagedNamesShown::sync() {
  if (!m_line.empty()) {
    const std::string shown = withStagedNamesShown(std::move(m_line));
    m_line.clear();
    if (m_to->sputn(shown.data(), std::streamsize(shown.size())) != std::streamsize(shown.size()))
      return -1;
  }
  return m_to->pubsync();
}

}  // namespace kpx::cli
