// Where the error log of failed rows is written. The configured log folder is the place; where
// it cannot be written (an installed library's folder, another user's) the log goes to the
// user's state folder instead, so that a bad row never fails a run for want of a log.
#pragma once
#include <string>

namespace kpx {

// "$XDG_STATE_HOME/kpxwizard/" when XDG_STATE_HOME is an absolute path, else
// "$HOME/.local/state/kpxwizard/"; "" when neither can be told.
std::string fallbackLogFolder();

// errorLogFile(logFilePath) when that file can be appended to (or made in its folder);
// otherwise the file of the same name in fallbackLogFolder(), whose folders are made
// (private to the user) when missing.
std::string errorLogFileInUse(const std::string& logFilePath);

}  // namespace kpx
