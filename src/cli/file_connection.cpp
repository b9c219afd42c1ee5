#include "cli/file_connection.h"

#include <algorithm>
#include <fstream>

#include "cli/arguments.h"
#include "cli/program_text.h"
#include "cli/sqlserver_address.h"
#include "data/text/text_decoding.h"

namespace kpx::cli {
namespace {

std::string firstBytes(const std::string& path, size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string head(count, '\0');
  in.read(head.data(), static_cast<std::streamsize>(count));
  head.resize(static_cast<size_t>(in.gcount()));
  return head;
}

int32_t rowDelimiterOf(const std::string& head) {
  if (head.find("\r\n") != std::string::npos) return kpxCRLF;
  if (head.find('\n') != std::string::npos) return kpxLF;
  if (head.find('\r') != std::string::npos) return kpxCR;
  return kpxCRLF;
}

std::string firstLine(const std::string& head) {
  std::string line = head.substr(0, head.find_first_of("\r\n"));
  if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
  return line;
}

// The delimiter that occurs most often in the first line; "," when none does.
std::string guessDelimiter(const std::string& line, char fallback) {
  char best = fallback;
  long most = std::count(line.begin(), line.end(), fallback);
  for (char c : {',', ';', '\t', '|'}) {
    long n = std::count(line.begin(), line.end(), c);
    if (n > most) best = c, most = n;
  }
  return std::string(1, best);
}

std::string trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string joinWidths(const std::vector<int>& widths) {
  std::string text;
  for (int w : widths) text += (text.empty() ? "" : ",") + std::to_string(w);
  return text;
}

// Names of a fixed-width file: the first line cut at the widths, or Col001, Col002…
std::string fixedColumnNames(const std::string& line, const std::vector<int>& widths, bool header) {
  std::string names;
  size_t at = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    std::string name;
    if (header && at < line.size()) name = trimmed(line.substr(at, static_cast<size_t>(widths[i])));
    at += static_cast<size_t>(widths[i]);
    if (name.empty()) {
      std::string number = std::to_string(i + 1);
      name = "Col" + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
    }
    names += (names.empty() ? "" : ",") + name;
  }
  return names;
}

}  // namespace

std::string parseDelimiter(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (lower == "tab" || lower == "\\t" || text == "\t") return "\t";
  if (text.size() == 1) return text;
  throw CliError(said(Said::DelimiterNotOneCharacter, text));
}

std::string parseQualifier(const std::string& text) {
  if (text.empty() || text == "none") return "";
  if (text.size() == 1) return text;
  throw CliError(said(Said::QualifierNotOneCharacter, text));
}

std::vector<int> parseWidths(const std::string& text) {
  std::vector<int> widths;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string part =
        trimmed(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    bool digits =
        !part.empty() && part.size() <= 6 &&
        std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!digits || std::stoi(part) == 0) throw CliError(said(Said::WidthNotANumber, part, text));
    widths.push_back(std::stoi(part));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return widths;
}

std::string parseEncoding(const std::string& text) {
  data::TextEncoding encoding;
  if (data::textEncodingNamed(text, encoding)) return text;
  throw CliError(said(Said::UnknownEncoding, text, data::kTextEncodingNames));
}

std::string encodingWarning(const std::string& path, const TextLayout& layout) {
  if (!layout.encoding.empty()) return {};
  const int64_t line = data::firstNonUtf8Line(path);
  if (line == 0) return {};
  return said(Said::NotUtf8, static_cast<long long>(line), path);
}

std::shared_ptr<clsConnection> makeFileConnection(const std::string& path, const FileKind& kind,
                                                  int32_t mode, const TextLayout& layout,
                                                  const std::string& table, int32_t tableType) {
  auto c = std::make_shared<clsConnection>();
  c->setProvider(kind.conType);
  c->setDatabase(path);
  c->setMode(mode);
  if (const auto server = parseSqlServerAddress(path)) {
    c->setServer(server->server);
    c->setDatabase(server->database);
    c->setUser(server->user);
    c->setPassword(sqlServerPassword(*server));
  }
  if (kind.conType != CONN_TEXTFILE) {
    c->setTableName(table);
    c->setTableType(tableType);
    return c;
  }
  const std::string head = firstBytes(path, 64 * 1024);
  const std::string line = firstLine(head);
  c->setTableName(path);
  c->setTableType(kpxTypeTable);
  c->setRowDelimiter(rowDelimiterOf(head));
  c->setFirstRow(layout.header ? -1 : 0);
  c->setTextQualifier(layout.qualifier);
  c->setTextEncoding(layout.encoding);
  if (layout.widths.empty()) {
    c->setFormatFile(kpxDelimitedFile);
    c->setColumnDelimiter(!layout.delimiter.empty() ? layout.delimiter
                          : kind.defaultDelimiter == '\t' || head.empty()
                              ? std::string(1, kind.defaultDelimiter)
                              : guessDelimiter(line, kind.defaultDelimiter));
    // The same character cannot both end a field and enclose one: every column would shift.
    if (c->TextQualifier() == c->ColumnDelimiter())
      throw CliError(said(Said::QualifierIsDelimiter, c->TextQualifier().c_str(), path.c_str()));
  } else {
    c->setFormatFile(kpxFixedFile);
    c->setColumnLengths(joinWidths(layout.widths));
    if (mode == kpxSource) c->setColumnNames(fixedColumnNames(line, layout.widths, layout.header));
  }
  return c;
}

}  // namespace kpx::cli
