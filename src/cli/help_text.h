// The --help texts of the program and its sub-commands, with examples.
#pragma once

namespace kpx::cli {

extern const char* const kProgramHelp;
extern const char* const kRunHelp;
extern const char* const kCopyHelp;
extern const char* const kInspectHelp;
extern const char* const kWizardHelp;

}  // namespace kpx::cli
