#include "data/providers/text/text_format.h"

#include <charconv>

#include "data/providers/provider.h"
#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Delimiters may also be written by name, as the DTS dialogs show them: "{CR}{LF}", "{TAB}".
std::string expandDelimiterNames(std::string text) {
  static const std::pair<std::string_view, char> kNames[] = {
      {"{CR}", '\r'}, {"{LF}", '\n'}, {"{TAB}", '\t'}};
  for (const auto& [name, c] : kNames) {
    for (size_t at = 0; (at = text.find(name, at)) != std::string::npos; ++at) {
      text.replace(at, name.size(), 1, c);
    }
  }
  return text;
}

bool parseInt(std::string_view text, int& out) {
  text = trim(text);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

[[noreturn]] void badProperty(const TextFormat& f, std::string_view name, std::string_view value,
                              std::string_view expected) {
  throw DataError("Text file " + f.path + ": the property \"" + std::string(name) + "\" is \"" +
                  std::string(value) + "\"; " + std::string(expected) + ".");
}

}  // namespace

std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> pieces;
  if (trim(text).empty()) return pieces;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    pieces.emplace_back(trim(std::string_view(text).substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return pieces;
}

TextFormat TextFormat::fromProperties(const ConnectionProperties& properties) {
  TextFormat f;
  f.path = properties.value("Data Source");
  if (f.path.empty()) throw DataError("Text file: the connection names no file (\"Data Source\").");

  std::string rows = expandDelimiterNames(properties.value("Row Delimiter"));
  if (!rows.empty()) f.rowDelimiter = rows;
  std::string columns = expandDelimiterNames(properties.value("Column Delimiter"));
  if (!columns.empty()) f.columnDelimiter = columns;
  f.qualifier = properties.value("Text Qualifier");

  std::string skip = properties.value("Skip Rows", "0");
  if (!parseInt(skip, f.skipRows) || f.skipRows < 0) {
    badProperty(f, "Skip Rows", skip, "a number of rows, 0 or more, is expected");
  }
  std::string first(trim(properties.value("First Row Column Name")));
  f.firstRowNames = equalsIgnoringCase(first, "True") || first == "-1";

  std::string format(trim(properties.value("File Format", "1")));
  f.fixedWidth = format != "1";
  std::string mode(trim(properties.value("Mode")));
  f.readOnly = mode == "1";

  f.names = splitList(properties.value("Column Names"));
  if (std::string named(trim(properties.value("Character Set"))); !named.empty()) {
    TextEncoding encoding;
    if (!textEncodingNamed(named, encoding))
      badProperty(f, "Character Set", named,
                  std::string("one of ") + kTextEncodingNames + " is expected");
    f.encoding = encoding;
  }
  if (f.fixedWidth) {
    std::string lengths = properties.value("Column Lengths");
    for (const std::string& piece : splitList(lengths)) {
      int width = 0;
      if (!parseInt(piece, width) || width <= 0) {
        badProperty(f, "Column Lengths", lengths,
                    "a fixed-width file needs a width greater than 0 for every field, "
                    "separated by commas");
      }
      f.widths.push_back(width);
    }
    if (f.widths.empty()) {
      badProperty(f, "Column Lengths", lengths,
                  "a fixed-width file needs the width of every field, separated by commas");
    }
  }
  return f;
}

std::string TextFormat::tableName() const {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace kpx::data
