#include "data/providers/jet/jet_provider.h"

#include <sys/stat.h>
#include <cstring>
#include <fstream>

#include "data/providers/mdb/mdb_data_source.h"
#include "data/providers/sqlite/sqlite_data_source.h"
#include "data/providers/text_compare.h"
#include "data/providers/value.h"

namespace kpx::data {
namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// ADO access modes: 1 read, 2 write, 3 read/write; anything else leaves writing allowed.
bool readOnlyMode(const ConnectionProperties& properties) {
  int64_t mode = 0;
  return parseInteger(properties.value("Mode"), mode) && (mode & 3) == 1;
}

enum class FileKind { Missing, Sqlite, Access, Unknown };

FileKind fileKind(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return FileKind::Missing;
  if (S_ISDIR(st.st_mode)) return FileKind::Unknown;
  // SQLite leaves a new database empty until its first write.
  if (st.st_size == 0) return FileKind::Sqlite;
  char head[20] = {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileKind::Unknown;
  in.read(head, sizeof head);
  const auto got = in.gcount();
  if (got >= 16 && std::memcmp(head, "SQLite format 3\0", 16) == 0) return FileKind::Sqlite;
  if (got >= 20 && (std::memcmp(head + 4, "Standard Jet DB\0", 16) == 0 ||
                    std::memcmp(head + 4, "Standard ACE DB\0", 16) == 0)) {
    return FileKind::Access;
  }
  return FileKind::Unknown;
}

}  // namespace

std::unique_ptr<DataSource> JetProvider::open(const ConnectionProperties& properties) {
  const std::string extended = properties.value("Extended Properties");
  if (startsWithIgnoringCase(extended, "Excel")) {
    if (!m_excel) throw DataError("Excel workbooks cannot be opened: no Excel reader is installed");
    return m_excel(properties);
  }
  if (startsWithIgnoringCase(extended, "HTML Import")) {
    if (!m_html) throw DataError("HTML files cannot be opened: no HTML reader is installed");
    return m_html(properties);
  }
  const std::string path = properties.value("Data Source");
  if (path.empty()) throw DataError("The connection names no database file (Data Source is empty)");
  switch (fileKind(path)) {
    case FileKind::Missing:
      throw DataError("The database file '" + path + "' does not exist");
    case FileKind::Sqlite:
      return openSqliteDatabase(path, !readOnlyMode(properties));
    case FileKind::Access:
      return openAccessDatabase(path);
    case FileKind::Unknown:
      break;
  }
  throw DataError("The file '" + path +
                  "' is not a database that can be opened here (neither a SQLite nor a "
                  "Microsoft Access database)");
}

void createJetDatabase(const std::string& path) {
  createSqliteDatabase(path);
}

}  // namespace kpx::data
