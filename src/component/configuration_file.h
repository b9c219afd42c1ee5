// A saved wizard configuration: language, closing options, both connections with their locks
// and the column transformations, in the sections LANGUAGE, EXIT, SOURCE, DESTINATION and
// TRANSFORMATIONS of an INI file. Every read and write goes through the INI layer.
#pragma once
#include <string>

#include "kpxwizard/wizard.h"

namespace kpx::config {

// The separator of the six fields of a stored transformation (section sign, U+00A7).
inline constexpr const char* kFieldSeparator = "\xC2\xA7";
// The key of a text file's encoding (as --encoding names it) in its connection section, present
// only where an encoding was named.
inline constexpr const char* kEncoding = "Encoding";

// Writes `wizard`'s configuration to `file`. False after message 544 (copy) or 543 (constant)
// when a transformation's constant or column names hold the separator; the connection
// sections are written by then and the old transformations are left. Unexpected failures
// (a wizard without Source or Destination, a transformation without its columns) throw.
bool saveConfiguration(cKPXWizard& wizard, const std::string& file);

// Replaces `wizard`'s configuration from `file`. False after message 541 / 542 when the
// stored source / destination file does not exist (that connection is reset). A connection
// that no longer validates is reset and the load goes on. Transformations are rebuilt when
// BuildColumns succeeds for the loaded connections; otherwise they are left empty. A missing
// file gives true after the INI layer's "not found" box. Unexpected failures throw.
bool loadConfiguration(cKPXWizard& wizard, const std::string& file);

// Adds the transformations stored in `file` to `wizard`'s Transformations, taking their
// columns from the Source and Destination column lists. False after message 547 when a
// column is not found or a name repeats; values without exactly six fields are skipped.
bool loadTransformations(cKPXWizard& wizard, const std::string& file);

}  // namespace kpx::config
