// The command line of one sub-command taken apart: positional arguments, options that take a
// value and options that stand alone, with the errors a user can act on.
#pragma once
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kpx::cli {

// Exit statuses of the program.
enum ExitStatus : int { kExitSuccess = 0, kExitRowsRejected = 1, kExitFailure = 2 };

// A mistake that ends the program with `status` after printing its text (which says what was
// wrong and what to do) to standard error.
class CliError : public std::runtime_error {
 public:
  explicit CliError(const std::string& text, int status = kExitFailure)
      : std::runtime_error(text), m_status(status) {}
  int status() const noexcept { return m_status; }

 private:
  int m_status;
};

// Which options a sub-command accepts.
struct AcceptedOptions {
  std::set<std::string>
      withValue;                // "--from-table", …: the next argument (or "=value") is its value
  std::set<std::string> flags;  // "--create", …
};

struct ParsedArguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;

  bool has(const std::string& flag) const { return flags.count(flag) > 0; }
  bool hasValue(const std::string& option) const { return values.count(option) > 0; }
  // The option's value, or `fallback` when it was not given.
  std::string value(const std::string& option, const std::string& fallback = {}) const;
};

// Splits `args` (the words after the sub-command) by `accepted`. "--help" and "-h" become the flag
// "--help". An argument "--" ends the options. Throws CliError naming an unknown option, an
// option given twice, or an option whose value is missing; `command` names the sub-command in
// those texts.
ParsedArguments parseArguments(const std::vector<std::string>& args,
                               const AcceptedOptions& accepted, const std::string& command);

}  // namespace kpx::cli
