#include "cli/saved_run_options.h"

#include "config/mod_ini_api.h"

namespace kpx::cli {
namespace {

constexpr const char* kSection = "RUN";
constexpr const char* kFlags[] = {"--replace", "--yes", "--no"};
constexpr const char* kWithValue[] = {"--rejects", "--log-dir", "--busy-timeout"};
constexpr const char* kGiven = "True";

// Keys are the options' names without their dashes.
std::string keyOf(const std::string& option) {
  return option.substr(2);
}

}  // namespace

void saveRunOptions(const ParsedArguments& args, const std::string& config) {
  modINIApi::DeleteSection(config, kSection);
  for (const char* flag : kFlags)
    if (args.has(flag)) modINIApi::WriteINIKey(config, kSection, keyOf(flag), kGiven);
  for (const char* option : kWithValue)
    if (args.hasValue(option))
      modINIApi::WriteINIKey(config, kSection, keyOf(option), args.value(option));
}

ParsedArguments withSavedRunOptions(ParsedArguments args, const std::string& config) {
  const auto saved = [&](const char* option) {
    return modINIApi::ReadINIKey(config, kSection, keyOf(option), "");
  };
  const bool answered = args.has("--yes") || args.has("--no");
  for (const std::string flag : kFlags) {
    const bool answer = flag == "--yes" || flag == "--no";
    if (!(answer && answered) && saved(flag.c_str()) == kGiven) args.flags.insert(flag);
  }
  for (const char* option : kWithValue)
    if (!args.hasValue(option) && !saved(option).empty()) args.values[option] = saved(option);
  return args;
}

}  // namespace kpx::cli
