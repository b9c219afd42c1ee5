// The options of a copy that shape its transfer but that a configuration's connection sections
// do not hold (--replace, --rejects, --log-dir, --busy-timeout, --yes / --no): copy --save keeps
// them in the section RUN of the configuration, so that run repeats the same transfer.
#pragma once
#include <string>

#include "cli/arguments.h"

namespace kpx::cli {

// Writes those of `args` into the RUN section of `config`, in place of what it held.
void saveRunOptions(const ParsedArguments& args, const std::string& config);

// `args` with the options saved in `config` that the command line does not give; a --yes or
// --no given on the command line sets aside a saved answer.
ParsedArguments withSavedRunOptions(ParsedArguments args, const std::string& config);

}  // namespace kpx::cli
