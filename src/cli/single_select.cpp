#include "cli/single_select.h"

#include <cctype>

#include "cli/arguments.h"
#include "cli/program_text.h"
#include "data/providers/statement_excerpt.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx::cli {

void requireOneSelect(const std::string& query) {
  const auto refuse = [&](Said why) {
    throw CliError(said(Said::QueryNotOneSelect, data::statementExcerpt(query).c_str(), said(why)));
  };
  const size_t start = query.find_first_not_of(" \t\r\n(");
  if (start == std::string::npos || foldCase(query.substr(start, 6)) != foldCase("select") ||
      (query.size() > start + 6 && std::isalnum(static_cast<unsigned char>(query[start + 6]))))
    refuse(Said::DoesNotStartWithSelect);
  char closing = 0;  // the quote or bracket being read through
  for (size_t i = start; i < query.size(); ++i) {
    const char c = query[i];
    if (closing) {
      if (c == closing) closing = 0;
    } else if (c == '\'' || c == '"' || c == '`') {
      closing = c;
    } else if (c == '[') {
      closing = ']';
    } else if (c == ';' && query.find_first_not_of(" \t\r\n;", i) != std::string::npos) {
      refuse(Said::MoreThanOneStatement);
    }
  }
}

}  // namespace kpx::cli
