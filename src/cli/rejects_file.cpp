#include "cli/rejects_file.h"

#include <fstream>
#include <iterator>

#include "cli/arguments.h"
#include "cli/program_text.h"
#include "data/mod_main.h"
#include "data/providers/file_replacement.h"
#include "data/providers/text/text_writer.h"
#include "kpxwizard/enums.h"
#include "package/cls_task.h"

namespace kpx::cli {
namespace {

// A delimited text source lends its layout; a fixed-width one or any other source gives a
// CSV, as a reason has no width to fit.
data::TextFormat layoutFor(const std::string& path, const clsConnection& source) {
  data::TextFormat format;
  format.path = path;
  format.qualifier = '"';
  format.firstRowNames = true;
  if (source.ConType() != CONN_TEXTFILE || source.FormatFile() == kpxFixedFile) return format;
  format.columnDelimiter = source.ColumnDelimiter();
  format.qualifier = source.TextQualifier();
  format.firstRowNames = source.FirstRow() == -1;
  const std::string rowDelimiter = clsTask::GetRowDelimiterComboIndex(source.RowDelimiter());
  if (rowDelimiter != "-1" && !rowDelimiter.empty()) format.rowDelimiter = rowDelimiter;
  return format;
}

}  // namespace

RejectsFile::RejectsFile(std::string path, const clsConnection& source)
    : m_path(std::move(path)), m_format(layoutFor(m_path, source)) {
  if (source.ConType() != CONN_TEXTFILE) return;
  std::ifstream file(source.Database(), std::ios::binary);
  std::string head(64 * 1024, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(file.gcount()));
  // The encoding the user named for the source wins over what its first bytes suggest, so the
  // refused rows go back exactly as they were read.
  data::TextEncoding named;
  m_encoding = data::textEncodingNamed(source.TextEncoding(), named)
                   ? data::namedEncodingFor(named, head)
                   : data::detectTextEncoding(head);
  // "utf-8" read leniently still writes no byte-order mark the source did not have.
  if (m_encoding == data::TextEncoding::Utf8Bom && head.rfind("\xEF\xBB\xBF", 0) != 0)
    m_encoding = data::TextEncoding::Utf8;
}

void RejectsFile::SourceColumns(const std::vector<std::string>& names) {
  std::vector<std::string> columns = names;
  const bool hasReason = !columns.empty() && columns.back() == kRejectReasonColumn;
  if (!hasReason) columns.push_back(kRejectReasonColumn);
  m_valueColumns = columns.size() - 1;
  m_row.resize(columns.size());
  try {
    m_writer = std::make_unique<data::TextRowWriter>(m_format, columns);
  } catch (const std::exception& e) {
    throw CliError(said(Said::CannotWriteRejects, m_path, e.what()));
  }
}

RejectsFile::~RejectsFile() = default;

void RejectsFile::RowRejected(int64_t, const std::vector<std::string>& values,
                              const std::string& reason) {
  for (size_t i = 0; i < m_valueColumns; ++i)
    m_row[i] = i < values.size() ? data::Value::fromString(values[i]) : data::Value::null();
  m_row.back() = data::Value::fromString(reason);
  try {
    m_writer->writeRow(m_row.data(), m_row.size());
  } catch (const data::RowError&) {
    ++m_left;
  }
}

int64_t RejectsFile::finish() {
  if (!m_writer) return 0;
  try {
    m_writer->commit();
    // The writer writes UTF-8; another source encoding is put back in one more replacement.
    if (m_encoding != data::TextEncoding::Utf8) {
      std::ifstream written(m_path, std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(written)), {});
      const std::string bytes = data::encodeText(text, m_encoding);
      data::FileReplacement replacement(m_path, "rejects file");
      replacement.write(bytes.data(), bytes.size());
      replacement.commit();
    }
    return m_left;
  } catch (const std::exception& e) {
    throw CliError(said(Said::CannotWriteRejects, m_path, e.what()));
  }
}

}  // namespace kpx::cli

namespace kpx::cli {

std::shared_ptr<RejectsFile> openRejectsFile(Session& session, const ParsedArguments& args) {
  if (!args.hasValue("--rejects")) return nullptr;
  auto rejects = std::make_shared<RejectsFile>(args.value("--rejects"), *session.wizard().Source());
  session.wizard().setRejectedRows(rejects);
  return rejects;
}

void finishRejectsFile(Session& session, RejectsFile* rejects) {
  if (!rejects) return;
  session.wizard().setRejectedRows(nullptr);
  if (const int64_t left = rejects->finish(); left > 0)
    session.err() << said(Said::RejectsOnlyInLog, static_cast<long long>(left)) << std::endl;
}

}  // namespace kpx::cli
