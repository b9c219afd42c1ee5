// Runs a shell command for tests that check our files with independent programs.
#pragma once
#include <string>

namespace kpx::test {

// Standard output of `command` run through /bin/sh; `exitCode` receives its exit status.
std::string commandOutput(const std::string& command, int* exitCode = nullptr);

// `text` quoted for the shell.
std::string shellQuote(const std::string& text);

// The records of the UTF-8 text file at `path` as Python's csv module reads them, printed as a
// Python list ("[['Id', 'Name'], ['1', 'Ann']]\n").
std::string pythonCsvRows(const std::string& path, const std::string& delimiter = ",");

}  // namespace kpx::test
