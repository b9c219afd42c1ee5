// Declared SQLite column types to ADO codes. The Jet type names our CREATE TABLE texts write
// ("Long", "Short", "Byte", "VarChar (n)", "LongText"…) map back to the codes Jet reports for
// them. Every other name follows SQLite's affinity rules, since SQLite stores what the
// affinity allows whatever the name says: INTEGER affinity → 20 (a 64-bit integer), TEXT
// affinity → 202 with a size, 203 without, BLOB → 205, REAL → 5, and NUMERIC affinity → 131
// for the names that mean a number, 5 for a FLOAT-like name. A name SQLite gives numeric
// affinity only because nothing else matched (STRING, JSON, UUID) or no declared type at all
// → 203, because such a column keeps text that looks like no number as text. Only text and
// binary columns report a defined size, so a table definition built from these columns
// carries no size on numeric types.
#include <cctype>
#include <string>
#include <string_view>

#include "data/providers/sqlite/sqlite_data_source.h"

namespace kpx::data {
namespace {

struct NamedType {
  std::string_view name;
  int32_t type;
  int32_t size;  // defined size when the declaration gives none; 0 for fixed-size types
};

constexpr NamedType kNamedTypes[] = {
    {"VARCHAR", adVarWChar, 255},
    {"NVARCHAR", adVarWChar, 255},
    {"CHARACTER VARYING", adVarWChar, 255},
    {"CHAR", adWChar, 255},
    {"NCHAR", adWChar, 255},
    {"CHARACTER", adWChar, 255},
    {"LONGTEXT", adLongVarWChar, 0},
    {"MEMO", adLongVarWChar, 0},
    {"LONGCHAR", adLongVarWChar, 0},
    {"NOTE", adLongVarWChar, 0},
    {"NTEXT", adLongVarWChar, 0},
    {"CLOB", adLongVarWChar, 0},
    {"TEXT", adLongVarWChar, 0},
    {"LONG", adInteger, 0},
    {"COUNTER", adInteger, 0},
    {"AUTOINCREMENT", adInteger, 0},
    {"BIGINT", adBigInt, 0},
    {"INT8", adBigInt, 0},
    {"SHORT", adSmallInt, 0},
    {"BYTE", adUnsignedTinyInt, 0},
    {"SINGLE", adSingle, 0},
    {"DOUBLE", adDouble, 0},
    {"DOUBLE PRECISION", adDouble, 0},
    {"FLOAT", adDouble, 0},
    {"FLOAT8", adDouble, 0},
    {"REAL", adDouble, 0},
    {"NUMBER", adDouble, 0},
    {"CURRENCY", adCurrency, 0},
    {"MONEY", adCurrency, 0},
    {"DATETIME", adDate, 0},
    {"DATE", adDate, 0},
    {"TIME", adDate, 0},
    {"TIMESTAMP", adDate, 0},
    {"BIT", adBoolean, 0},
    {"BOOLEAN", adBoolean, 0},
    {"BOOL", adBoolean, 0},
    {"LOGICAL", adBoolean, 0},
    {"YESNO", adBoolean, 0},
    {"GUID", adGUID, 0},
    {"UNIQUEIDENTIFIER", adGUID, 0},
    {"DECIMAL", adNumeric, 0},
    {"NUMERIC", adNumeric, 0},
    {"DEC", adNumeric, 0},
    {"VARBINARY", adVarBinary, 255},
    {"BINARY", adVarBinary, 255},
    {"LONGBINARY", adLongVarBinary, 0},
    {"BIGBINARY", adLongVarBinary, 0},
    {"OLEOBJECT", adLongVarBinary, 0},
    {"GENERAL", adLongVarBinary, 0},
    {"IMAGE", adLongVarBinary, 0},
    {"BLOB", adLongVarBinary, 0},
};

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool contains(const std::string& s, const char* part) {
  return s.find(part) != std::string::npos;
}

}  // namespace

ColumnInfo columnInfoFromDeclaredType(const std::string& name, const std::string& declared,
                                      bool notNull) {
  ColumnInfo info;
  info.name = name;
  info.attributes = notNull ? 0 : adColNullable;

  // "VarChar (50)": the base name before the parenthesis, blanks collapsed, and the size.
  const size_t paren = declared.find('(');
  std::string base;
  for (char c : upper(declared.substr(0, paren))) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!base.empty() && base.back() != ' ') base.push_back(' ');
    } else {
      base.push_back(c);
    }
  }
  if (!base.empty() && base.back() == ' ') base.pop_back();
  int64_t size = -1;
  if (paren != std::string::npos) {
    int64_t n = 0;
    size_t i = paren + 1;
    while (i < declared.size() && declared[i] == ' ') ++i;
    const size_t start = i;
    while (i < declared.size() && std::isdigit(static_cast<unsigned char>(declared[i])) &&
           n < 1000000000) {
      n = n * 10 + (declared[i++] - '0');
    }
    if (i > start) size = n;
  }

  for (const auto& named : kNamedTypes) {
    if (base != named.name) continue;
    info.type = named.type;
    info.size = named.size;
    if (named.type == adLongVarWChar && named.name == "TEXT" && size > 0) {
      info.type = adVarWChar;  // Jet's TEXT(n) is a text column of n characters
    }
    if (size > 0 && (info.type == adVarWChar || info.type == adWChar || info.type == adVarBinary)) {
      info.size = static_cast<int32_t>(size);
    }
    return info;
  }

  // SQLite's affinity rules, in its order.
  if (base.empty()) {
    info.type = adLongVarWChar;
  } else if (contains(base, "INT")) {
    info.type = adBigInt;
  } else if (contains(base, "CHAR") || contains(base, "CLOB") || contains(base, "TEXT")) {
    info.type = size > 0 ? adVarWChar : adLongVarWChar;
    info.size = size > 0 ? static_cast<int32_t>(size) : 0;
  } else if (contains(base, "BLOB")) {
    info.type = adLongVarBinary;
  } else if (contains(base, "REAL") || contains(base, "FLOA") || contains(base, "DOUB")) {
    info.type = adDouble;
  } else {
    info.type = adLongVarWChar;
  }
  return info;
}

}  // namespace kpx::data
