// The --rejects file: the rows a transfer refused, written in the layout of a delimited text
// source (its delimiter, qualifier, header and row delimiter; a CSV for any other source) with
// a last column saying why, in the source's encoding, so that a user corrects them in any editor
// and loads the file again with the same command. A file that is itself a rejects file keeps one
// reason column, refilled with what is still wrong.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/session.h"
#include "data/providers/text/text_writer.h"
#include "data/text/text_decoding.h"
#include "kpxwizard/connection.h"
#include "kpxwizard/rejected_rows.h"

namespace kpx::cli {

// The header of the column that says why a row was refused.
inline constexpr const char* kRejectReasonColumn = "Rejected because";

class RejectsFile : public RejectedRowSink {
 public:
  // `source` gives the layout. Nothing reaches `path` until finish(), and nothing at all when
  // the transfer never opened its source.
  RejectsFile(std::string path, const clsConnection& source);
  ~RejectsFile() override;

  // Starts the file; CliError naming it when it cannot be written.
  void SourceColumns(const std::vector<std::string>& names) override;
  void RowRejected(int64_t rowNumber, const std::vector<std::string>& values,
                   const std::string& reason) override;
  // Puts the file in place, holding the rows refused so far (none: the header alone).
  // Returns how many refused rows it could not hold (a value with the delimiter in a layout
  // without a qualifier); the error log lists them.
  int64_t finish();

 private:
  std::string m_path;
  data::TextFormat m_format;
  data::TextEncoding m_encoding = data::TextEncoding::Utf8;  // the source's, for a text source
  std::unique_ptr<data::TextRowWriter> m_writer;
  size_t m_valueColumns = 0;  // source values written before the reason
  std::vector<data::Value> m_row;
  int64_t m_left = 0;
};

// The --rejects file the command line asks for, told of the session's refused rows; null
// without --rejects. Call once the source's columns are read.
std::shared_ptr<RejectsFile> openRejectsFile(Session& session, const ParsedArguments& args);
// Puts it in place after the transfer and notes rows it could not hold.
void finishRejectsFile(Session& session, RejectsFile* rejects);

}  // namespace kpx::cli
