// Builds the connection that describes a file given on the command line: its kind, and for a
// text file its layout (delimiter, qualifier, header, fixed widths, row delimiter).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/file_kind.h"
#include "kpxwizard/connection.h"

namespace kpx::cli {

struct TextLayout {
  std::string delimiter;  // "" to guess (from the name, then the first line)
  std::string qualifier = "\"";
  bool header = true;       // the first row holds the column names
  std::vector<int> widths;  // fixed-width columns when not empty
  std::string encoding;     // as --encoding names it; "" to detect it from the file
};

// The column delimiter given on the command line: one character, or "tab" / "\t".
// Throws CliError for anything else.
std::string parseDelimiter(const std::string& text);
// The qualifier given on the command line: one character, or "" / "none" for none.
std::string parseQualifier(const std::string& text);
// "10,20,5" as widths; throws CliError naming the part that is not a positive number.
std::vector<int> parseWidths(const std::string& text);
// The encoding given on the command line; throws CliError listing the names it takes.
std::string parseEncoding(const std::string& text);
// For a text source read without a named encoding that is not valid UTF-8: a warning line
// naming the line of its first byte that is not UTF-8. Empty when there is nothing to say.
std::string encodingWarning(const std::string& path, const TextLayout& layout);

// A connection to the file at `path` of `kind` (or to the SQL Server database an mssql://
// address names, its password asked for here), for the role `mode` (kpxSource or
// kpxDestination). Database kinds get `table` and `tableType`; text files take `layout`, read
// their row delimiter from the file when it exists (CRLF otherwise) and, as a fixed-width
// source, their column names from the first line (or Col001, Col002…).
std::shared_ptr<clsConnection> makeFileConnection(const std::string& path, const FileKind& kind,
                                                  int32_t mode, const TextLayout& layout,
                                                  const std::string& table = {},
                                                  int32_t tableType = kpxTypeTable);

}  // namespace kpx::cli
