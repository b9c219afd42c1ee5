// The check a --query passes: one SELECT statement. Another statement would change the source,
// and a second one after ";" would otherwise be dropped without a word.
#pragma once
#include <string>

namespace kpx::cli {

// Throws CliError, showing the query, unless it starts with SELECT and holds no ";" outside
// quotes and brackets but at its end.
void requireOneSelect(const std::string& query);

}  // namespace kpx::cli
