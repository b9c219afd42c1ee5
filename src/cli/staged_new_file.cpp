#include "cli/staged_new_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "data/providers/file_replacement.h"
#include "data/providers/provider.h"

namespace kpx::cli {
namespace {

// The paths of the files staged by this process and the paths they take, then the same for
// their names alone (for messages that give the whole path). They stay after the file is gone:
// the error that ended its run is told after that.
std::vector<std::pair<std::string, std::string>>& stagedNames() {
  static std::vector<std::pair<std::string, std::string>> names;
  return names;
}

std::string nameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

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

StagedNewFile::StagedNewFile(const std::string& path) : m_path(path), m_written(path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) == 0 || errno != ENOENT) return;
  try {
    m_staging = std::make_unique<kpx::data::FileReplacement>(path, "destination");
  } catch (const kpx::data::DataError& e) {
    throw CliError(std::string("kpxwizard copy: ") + e.what());
  }
  // The providers make the file themselves (a database, a workbook): only its name is taken.
  m_staging->closeFile();
  ::unlink(m_staging->temporaryPath().c_str());
  m_written = m_staging->temporaryPath();
  stagedNames().emplace_back(m_written, path);
  stagedNames().emplace_back(nameOf(m_written), nameOf(path));
}

StagedNewFile::~StagedNewFile() {
  if (!m_staging) return;
  // A database being written may have left its journal beside it.
  ::unlink((m_written + "-journal").c_str());
}

void StagedNewFile::keep() {
  if (!m_staging) return;
  try {
    m_staging->commit();
  } catch (const kpx::data::DataError& e) {
    throw CliError(std::string("kpxwizard copy: ") + e.what());
  }
  m_staging.reset();
  m_written = m_path;
}

}  // namespace kpx::cli
