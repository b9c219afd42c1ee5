#include "cli/file_kind.h"
#include "cli/program_text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "cli/arguments.h"
#include "kpxwizard/enums.h"

namespace kpx::cli {
namespace {

std::string lowerExtension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext;
}

FileKind byExtension(const std::string& ext) {
  FileKind kind;
  if (ext == "csv" || ext == "txt" || ext == "tsv") {
    kind.conType = CONN_TEXTFILE;
    if (ext == "tsv") kind.defaultDelimiter = '\t';
  } else if (ext == "xls" || ext == "xlsx") {
    kind.conType = CONN_EXCEL;
  } else if (ext == "htm" || ext == "html") {
    kind.conType = CONN_HTML_SOURCE;
  } else if (ext == "db" || ext == "sqlite" || ext == "sqlite3") {
    kind.conType = CONN_ACCESS;
    kind.sqlite = true;
  } else if (ext == "mdb" || ext == "accdb") {
    kind.conType = CONN_ACCESS;
    kind.accessFile = true;
  }
  return kind;
}

bool startsWith(const std::string& head, const std::string& prefix) {
  return head.size() >= prefix.size() && head.compare(0, prefix.size(), prefix) == 0;
}

bool looksLikeHtml(const std::string& head) {
  std::string lower = head;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  size_t start = lower.find_first_not_of(" \t\r\n\xef\xbb\xbf");
  if (start == std::string::npos) return false;
  return lower.compare(start, 9, "<!doctype") == 0 || lower.compare(start, 5, "<html") == 0 ||
         lower.find("<table") != std::string::npos;
}

// The kind the first bytes show; conType 0 when they show none.
FileKind byContent(const std::string& head) {
  FileKind kind;
  if (startsWith(head, std::string("SQLite format 3\0", 16))) {
    kind.conType = CONN_ACCESS;
    kind.sqlite = true;
  } else if (head.size() >= 19 && (head.compare(4, 15, "Standard Jet DB") == 0 ||
                                   head.compare(4, 15, "Standard ACE DB") == 0)) {
    kind.conType = CONN_ACCESS;
    kind.accessFile = true;
  } else if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") ||
             startsWith(head, "PK\x03\x04")) {
    kind.conType = CONN_EXCEL;
  } else if (head.size() >= 2 && static_cast<unsigned char>(head[1]) <= 0x08 &&
             (head[0] == '\x09') &&
             (head[1] == '\x00' || head[1] == '\x02' || head[1] == '\x04' || head[1] == '\x08')) {
    kind.conType = CONN_EXCEL;  // a BOF record of BIFF 2 to 8 written without a compound file
  } else if (looksLikeHtml(head)) {
    kind.conType = CONN_HTML_SOURCE;
  }
  return kind;
}

}  // namespace

bool isServerAddress(const std::string& path) {
  return path.rfind("mssql://", 0) == 0;
}

void requireFile(const std::string& path, const std::string& what, const std::string& hint) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return;
  if (std::filesystem::is_directory(path, ec)) throw CliError(said(Said::IsADirectory, what, path));
  throw CliError(said(Said::DoesNotExist, what, path, hint));
}

FileKind detectFileKind(const std::string& path) {
  if (isServerAddress(path)) {
    FileKind server;
    server.conType = CONN_SQLServer;
    return server;
  }
  FileKind named = byExtension(lowerExtension(path));
  std::ifstream in(path, std::ios::binary);
  if (!in) return named;
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  FileKind seen = byContent(head);
  if (seen.conType == 0) {
    // Plain text: trust the name when it names a text file, else call it delimited text
    // only when the name says nothing else.
    if (named.conType == CONN_TEXTFILE || named.conType == 0) {
      named.conType =
          head.find('\0') == std::string::npos && !head.empty() ? CONN_TEXTFILE : named.conType;
    }
    return named;
  }
  if (seen.conType == CONN_HTML_SOURCE && named.conType == CONN_TEXTFILE) return named;
  seen.defaultDelimiter = named.defaultDelimiter;
  return seen;
}

std::string describeKind(const FileKind& kind) {
  switch (kind.conType) {
    case CONN_ACCESS:
      return kind.accessFile ? said(Said::KindAccess) : said(Said::KindSqlite);
    case CONN_SQLServer:
      return said(Said::KindSqlServer);
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5:
      return said(Said::KindWorkbook);
    case CONN_TEXTFILE:
      return said(Said::KindText);
    case CONN_HTML_SOURCE:
      return said(Said::KindHtml);
    default:
      return said(Said::KindUnknown);
  }
}

}  // namespace kpx::cli
