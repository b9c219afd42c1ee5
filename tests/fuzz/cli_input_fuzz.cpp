// The kpxwizard program's readers of user input: the command line and its text options, a
// --query, a file's first bytes (kind and text layout), and the JSON strings and statement
// excerpts made from names and statements.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/file_connection.h"
#include "cli/file_kind.h"
#include "cli/json_text.h"
#include "cli/single_select.h"
#include "cli/sqlserver_address.h"
#include "cli/text_options.h"
#include "data/providers/statement_excerpt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::cli;
  const std::string input(reinterpret_cast<const char*>(data), size);

  // The input as words of a command line.
  std::vector<std::string> words;
  for (size_t start = 0; start <= input.size();) {
    size_t end = input.find(' ', start);
    if (end == std::string::npos) end = input.size();
    words.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  AcceptedOptions accepted{{"--from-table"}, {"--create", "--json"}};
  addTextOptions(accepted, true);
  try {
    destinationLayout(parseArguments(words, accepted, "copy"));
  } catch (const CliError&) {
  }
  try {
    requireOneSelect(input);
  } catch (const CliError&) {
  }
  for (unsigned char c : kpx::data::statementExcerpt(input))
    if (c < 0x20) __builtin_trap();

  try {
    if (auto address = parseSqlServerAddress(input); address && address->database.empty())
      __builtin_trap();
  } catch (const CliError&) {
  }

  const std::string json = jsonString(input);
  if (json.size() < 2 || json.front() != '"' || json.back() != '"') __builtin_trap();

  // The input as a file whose kind and layout are read.
  static const std::string path = "/tmp/kpx_cli_fuzz_" + std::to_string(::getpid()) + ".txt";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << input;
  const FileKind kind = detectFileKind(path);
  TextLayout layout;
  layout.widths = {3, 5, 1};
  makeFileConnection(path, FileKind{kpx::CONN_TEXTFILE}, kpx::kpxSource, layout);
  layout.widths.clear();
  makeFileConnection(path, kind, kpx::kpxSource, layout);
  return 0;
}
