#include "cli/scratch_destination.h"

#include <stdlib.h>

#include <filesystem>

#include "cli/arguments.h"
#include "cli/program_text.h"

namespace kpx::cli {

namespace fs = std::filesystem;

ScratchDestination::ScratchDestination(const std::string& path) {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "kpxwizard-dry-run-XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr)
    throw CliError(said(Said::CannotMakeDryRunFolder, path));
  m_folder = pattern;
  m_path = (fs::path(m_folder) / fs::path(path).filename()).string();
  if (fs::exists(path, ec) && !fs::copy_file(path, m_path, ec))
    throw CliError(said(Said::CannotCopyForDryRun, path, ec.message()));
}

ScratchDestination::~ScratchDestination() {
  std::error_code ec;
  if (!m_folder.empty()) fs::remove_all(m_folder, ec);
}

}  // namespace kpx::cli
