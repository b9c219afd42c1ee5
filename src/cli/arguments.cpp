#include "cli/arguments.h"
#include "cli/program_text.h"

namespace kpx::cli {

std::string ParsedArguments::value(const std::string& option, const std::string& fallback) const {
  auto it = values.find(option);
  return it == values.end() ? fallback : it->second;
}

ParsedArguments parseArguments(const std::vector<std::string>& args,
                               const AcceptedOptions& accepted, const std::string& command) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.flags.insert("--help");
      continue;
    }
    std::string name = arg;
    std::string inlineValue;
    bool hasInline = false;
    if (size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
      hasInline = true;
    }
    if (accepted.withValue.count(name)) {
      if (parsed.values.count(name)) throw CliError(said(Said::GivenTwice, command, name, command));
      if (!hasInline) {
        if (i + 1 >= args.size()) throw CliError(said(Said::NeedsAValue, command, name, command));
        inlineValue = args[++i];
      }
      parsed.values[name] = inlineValue;
    } else if (accepted.flags.count(name) && !hasInline) {
      parsed.flags.insert(name);
    } else if (accepted.flags.count(name)) {
      throw CliError(said(Said::TakesNoValue, command, name, command));
    } else {
      throw CliError(said(Said::UnknownOption, command, name, command));
    }
  }
  return parsed;
}

}  // namespace kpx::cli
