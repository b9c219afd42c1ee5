// Writes the rows of a transfer into a text file.
//
// A run replaces the file: the rows go to a temporary file in the same folder, which
// commit() renames over the old file, so the file holds the header (when "First Row Column
// Name" is True) and exactly the rows of this run, as a DTS text destination does. Until
// then, and after rollback() or a writer dropped without commit(), the old file is untouched.
//
// Values are written in their text form (appendText) in UTF-8 with the row delimiter after
// every row. Delimited files: text values, and any value holding a delimiter or the
// qualifier, go between qualifiers with inner qualifiers doubled; without a qualifier, a
// value that holds a delimiter is a RowError. Fixed-width files: values are padded with
// blanks to their width; a longer value is a RowError, never cut.
//
// A delimited file with a qualifier refuses no value, so its rows are formatted and written on
// a thread of their own (RowBatchPipe) while the pump reads the next ones; a failed write is
// thrown by a later writeRow or by commit.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "data/providers/file_replacement.h"
#include "data/providers/provider.h"
#include "data/providers/row_batch_pipe.h"
#include "data/providers/text/text_format.h"

namespace kpx::data {

class TextRowWriter : public RowWriter {
 public:
  // Starts the temporary file and writes the header. Throws DataError when the folder is
  // not writable, or, for a fixed-width file, when a column has no width or a name does
  // not fit its width.
  TextRowWriter(const TextFormat& format, const std::vector<std::string>& columns);
  ~TextRowWriter() override;

  void writeRow(const Value* values, size_t count) override;
  void commit() override;
  void rollback() override;

 private:
  // Formats one row into m_out; on the writing thread once there is one.
  void appendRow(const Value* values, size_t count);
  void appendRows(RowBatch& batch);
  void appendDelimitedField(std::string_view text, bool textValue, const std::string& column);
  void planFixedLayout();
  void appendFixedField(std::string_view text, size_t slot, bool header);
  void flush();
  void checkOpen() const;

  TextFormat m_format;
  std::vector<std::string> m_columns;
  // Fixed width: per field of the file, its width, its name and the writer column that
  // fills it (npos: none, left blank).
  std::vector<int> m_widths;
  std::vector<std::string> m_slotNames;
  std::vector<size_t> m_columnAt;
  std::unique_ptr<FileReplacement> m_file;  // null once finished
  std::string m_out;                        // rows waiting to be written to m_file
  std::string m_row;                        // the row being built
  std::string m_text;                       // one value as text
  int64_t m_rows = 0;          // rows formatted, on the writing thread once there is one
  int64_t m_accepted = 0;      // rows writeRow took
  bool m_writesLater = false;  // a delimited file with a qualifier
  // The first bytes of the delimiters, the qualifier and a line break; m_scanOnce when both
  // delimiters are set, so that a value without any of these bytes needs no search.
  std::array<bool, 256> m_starts{};
  bool m_scanOnce = false;
  RowBatch m_batch;  // rows held until the writing thread starts
  std::vector<Value> m_values;
  std::unique_ptr<RowBatchPipe> m_pipe;  // last: its thread stops before the rest goes
};

}  // namespace kpx::data
