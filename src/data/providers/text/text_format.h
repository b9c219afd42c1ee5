// How a text file is laid out, read from the properties of its connection ("Data Source",
// "Row Delimiter", "Column Delimiter", "Text Qualifier", "Skip Rows", "First Row Column
// Name", "File Format", "Column Lengths", "Column Names", "Mode").
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "data/providers/connection_properties.h"
#include "data/text/text_decoding.h"

namespace kpx::data {

struct TextFormat {
  std::string path;                   // "Data Source"
  std::string rowDelimiter = "\r\n";  // CR LF also ends a row at a lone LF
  std::string columnDelimiter = ",";  // delimited files; any non-empty string
  std::string qualifier;              // empty: fields are never quoted
  int skipRows = 0;                   // rows ignored before the header or the data
  bool firstRowNames = false;         // the first row after the skipped ones holds names
  bool fixedWidth = false;            // "File Format" other than 1
  std::vector<int> widths;            // fixed width: characters of each field
  std::vector<std::string> names;     // "Column Names", possibly fewer than the widths
  bool readOnly = false;              // "Mode" 1
  // "Character Set": the encoding the user named (see textEncodingNamed); none to detect it.
  std::optional<TextEncoding> encoding;

  // Reads the layout from connection properties. A "File Format" of 1 (or none) is
  // delimited, any other value fixed width. Throws DataError naming the file and the
  // property when a value makes no sense (Skip Rows not a number, a width of 0, a fixed-width
  // file without "Column Lengths", a "Character Set" that names no encoding).
  static TextFormat fromProperties(const ConnectionProperties& properties);

  // The table name of the file: its name without the folder ("data.csv").
  std::string tableName() const;

  bool operator==(const TextFormat&) const = default;
};

// Splits "a, b,c" at "," into trimmed pieces ("a", "b", "c"); an empty text gives none.
std::vector<std::string> splitList(const std::string& text);

}  // namespace kpx::data
