// The text-file options of the command line. Plain ones (--delimiter, --qualifier, --header,
// --no-header, --fixed) describe the source when it is a text file and the destination too,
// so that a text-to-text copy keeps its layout; --to-delimiter, --to-qualifier, --to-header,
// --to-no-header and --to-fixed describe the destination alone.
#pragma once
#include "cli/arguments.h"
#include "cli/file_connection.h"

namespace kpx::cli {

// Adds the plain options, and the --to-* ones when `destinationToo`.
void addTextOptions(AcceptedOptions& accepted, bool destinationToo);

// The layout the plain options give. Throws CliError for --header with --no-header.
TextLayout sourceLayout(const ParsedArguments& args);
// The plain options' layout with the --to-* options over it.
TextLayout destinationLayout(const ParsedArguments& args);

}  // namespace kpx::cli
