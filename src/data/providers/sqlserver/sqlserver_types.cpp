#include "data/providers/sqlserver/sqlserver_types.h"

#define MSDBLIB 1
#include <sybdb.h>
#include <sybfront.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

// db-lib's type for uniqueidentifier, which sybdb.h does not name.
constexpr int kUniqueIdentifier = 36;

struct TypeCode {
  int32_t ado;
  bool fixed;
};

// What SQLOLEDB reports for each SQL Server type; text and binary of size max are the long kinds.
TypeCode typeCode(const std::string& dataType, int64_t maxLength) {
  static const std::map<std::string, TypeCode, std::less<>> codes = {
      {"int", {adInteger, true}},
      {"bigint", {adBigInt, true}},
      {"smallint", {adSmallInt, true}},
      {"tinyint", {adUnsignedTinyInt, true}},
      {"bit", {adBoolean, true}},
      {"float", {adDouble, true}},
      {"real", {adSingle, true}},
      {"decimal", {adNumeric, true}},
      {"numeric", {adNumeric, true}},
      {"money", {adCurrency, true}},
      {"smallmoney", {adCurrency, true}},
      {"datetime", {adDBTimeStamp, true}},
      {"smalldatetime", {adDBTimeStamp, true}},
      {"datetime2", {adDBTimeStamp, true}},
      {"date", {adDBDate, true}},
      {"char", {adChar, true}},
      {"varchar", {adVarChar, false}},
      {"nchar", {adWChar, true}},
      {"nvarchar", {adVarWChar, false}},
      {"text", {adLongVarChar, false}},
      {"ntext", {adLongVarWChar, false}},
      {"uniqueidentifier", {adGUID, true}},
      {"binary", {adBinary, true}},
      {"varbinary", {adVarBinary, false}},
      {"image", {adLongVarBinary, false}},
      {"sql_variant", {adVariant, false}}};
  std::string lower;
  for (char c : dataType) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  auto found = codes.find(lower);
  TypeCode code = found == codes.end() ? TypeCode{adVarWChar, false} : found->second;
  if (maxLength == -1) {
    if (code.ado == adVarChar) code.ado = adLongVarChar;
    if (code.ado == adVarWChar) code.ado = adLongVarWChar;
    if (code.ado == adVarBinary) code.ado = adLongVarBinary;
  }
  return code;
}

int64_t readInteger(const BYTE* data, int type) {
  switch (type) {
    case SYBINT1:
      return *data;
    case SYBINT2: {
      int16_t v;
      std::memcpy(&v, data, 2);
      return v;
    }
    case SYBINT4: {
      int32_t v;
      std::memcpy(&v, data, 4);
      return v;
    }
    default: {
      int64_t v;
      std::memcpy(&v, data, 8);
      return v;
    }
  }
}

std::string bytesOf(const void* p, size_t n) {
  return std::string(static_cast<const char*>(p), n);
}

}  // namespace

CatalogColumn catalogColumn(const std::string& name, const std::string& dataType, int64_t maxLength,
                            int precision, int scale, bool nullable) {
  const TypeCode code = typeCode(dataType, maxLength);
  CatalogColumn out;
  out.info.name = name;
  out.info.type = code.ado;
  out.info.attributes = (code.fixed ? adColFixed : 0) | (nullable ? adColNullable : 0);
  out.declaration = dataType;
  if (code.ado == adNumeric) {
    out.info.size = precision;
    out.scale = scale;
    out.declaration += "(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
  } else if (maxLength == -1) {
    out.info.size = code.ado == adLongVarWChar ? 1073741823 : 2147483647;
    out.declaration += "(max)";
  } else if (maxLength > 0) {
    out.info.size = static_cast<int32_t>(std::min<int64_t>(maxLength, 2147483647));
    if (code.ado != adLongVarChar && code.ado != adLongVarWChar && code.ado != adLongVarBinary) {
      out.declaration += "(" + std::to_string(maxLength) + ")";
    }
  }
  if (code.ado == adLongVarChar || code.ado == adLongVarWChar || code.ado == adLongVarBinary) {
    // Parameters cannot be text, ntext or image; their max forms take the same values.
    out.declaration = code.ado == adLongVarBinary ? "varbinary(max)"
                      : code.ado == adLongVarChar ? "varchar(max)"
                                                  : "nvarchar(max)";
  }
  return out;
}

ColumnInfo resultColumn(DBPROCESS* db, int index) {
  ColumnInfo c;
  const char* name = dbcolname(db, index);
  c.name = name ? name : "";
  c.attributes = adColNullable;
  const int type = dbcoltype(db, index);
  c.size = dbcollen(db, index);
  switch (type) {
    case SYBINT1:
      c.type = adUnsignedTinyInt;
      break;
    case SYBINT2:
      c.type = adSmallInt;
      break;
    case SYBINT4:
      c.type = adInteger;
      break;
    case SYBINT8:
      c.type = adBigInt;
      break;
    case SYBBIT:
    case SYBBITN:
      c.type = adBoolean;
      break;
    case SYBFLT8:
      c.type = adDouble;
      break;
    case SYBREAL:
      c.type = adSingle;
      break;
    case SYBMONEY:
    case SYBMONEY4:
      c.type = adCurrency;
      break;
    case SYBDECIMAL:
    case SYBNUMERIC:
      c.type = adNumeric;
      c.size = dbcoltypeinfo(db, index) ? dbcoltypeinfo(db, index)->precision : 18;
      break;
    case SYBDATETIME:
    case SYBDATETIME4:
    case SYBMSDATETIME2:
    case SYBMSDATE:
      c.type = adDBTimeStamp;
      break;
    case kUniqueIdentifier:
      c.type = adGUID;
      break;
    case SYBBINARY:
    case SYBVARBINARY:
      c.type = adVarBinary;
      break;
    case SYBIMAGE:
      c.type = adLongVarBinary;
      break;
    case SYBTEXT:
      c.type = adLongVarWChar;
      break;
    default:
      c.type = adVarWChar;
      break;
  }
  if (c.type != adVarWChar && c.type != adVarBinary && c.type != adLongVarWChar &&
      c.type != adLongVarBinary && c.type != adNumeric) {
    c.size = 0;
  }
  return c;
}

Value resultField(DBPROCESS* db, int index, std::string& buffer) {
  const BYTE* data = dbdata(db, index);
  if (!data) return Value::null();
  const int type = dbcoltype(db, index);
  const DBINT length = dbdatlen(db, index);
  switch (type) {
    case SYBINT1:
    case SYBINT2:
    case SYBINT4:
    case SYBINT8:
      return Value::fromInt(readInteger(data, type));
    case SYBBIT:
    case SYBBITN:
      return Value::fromBool(*data != 0);
    case SYBFLT8: {
      double d;
      std::memcpy(&d, data, 8);
      return Value::fromDouble(d);
    }
    case SYBREAL: {
      float f;
      std::memcpy(&f, data, 4);
      return Value::fromDouble(f);
    }
    case SYBMONEY: {
      DBMONEY m;
      std::memcpy(&m, data, sizeof m);
      return Value::fromCurrency(
          static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(m.mnyhigh)) << 32 |
                               static_cast<uint32_t>(m.mnylow)));
    }
    case SYBMONEY4: {
      DBMONEY4 m;
      std::memcpy(&m, data, sizeof m);
      return Value::fromCurrency(m.mny4);
    }
    case SYBDATETIME:
    case SYBDATETIME4:
    case SYBMSDATETIME2:
    case SYBMSDATE: {
      DBDATEREC2 parts{};
      if (dbanydatecrack(db, &parts, type, data) == FAIL) break;
      return Value::fromDate(oleDateFromParts(parts.year, parts.month, parts.day, parts.hour,
                                              parts.minute, parts.second + parts.nanosecond / 1e9));
    }
    case SYBDECIMAL:
    case SYBNUMERIC:
    case kUniqueIdentifier: {
      char text[64];
      const DBINT n = dbconvert(db, type, data, length, SYBCHAR, reinterpret_cast<BYTE*>(text),
                                sizeof text - 1);
      if (n < 0) break;
      if (type != kUniqueIdentifier) {
        buffer.assign(text, static_cast<size_t>(n));
        return Value::fromDecimal(buffer);
      }
      buffer = "{" + std::string(text, static_cast<size_t>(n)) + "}";
      return Value::fromGuid(buffer);
    }
    case SYBBINARY:
    case SYBVARBINARY:
    case SYBIMAGE:
      return Value::fromBinary({reinterpret_cast<const char*>(data), static_cast<size_t>(length)});
    default:
      break;
  }
  return Value::fromString({reinterpret_cast<const char*>(data), static_cast<size_t>(length)});
}

SqlParameter parameterFor(int number, const CatalogColumn& column, const Value& value) {
  SqlParameter p;
  p.declaration = "@P" + std::to_string(number) + " " + column.declaration;
  const bool binary = column.info.type == adBinary || column.info.type == adVarBinary ||
                      column.info.type == adLongVarBinary;
  p.type = binary ? SYBVARBINARY : SYBVARCHAR;
  p.null = value.isNull();
  switch (value.kind) {
    case ValueKind::Null:
      break;
    case ValueKind::Boolean:
      p.type = SYBBIT;
      p.bytes = std::string(1, value.boolean ? 1 : 0);
      break;
    case ValueKind::Integer:
      p.type = SYBINT8;
      p.bytes = bytesOf(&value.integer, 8);
      break;
    case ValueKind::Double:
      p.type = SYBFLT8;
      p.bytes = bytesOf(&value.real, 8);
      break;
    case ValueKind::Currency: {
      DBMONEY m;
      m.mnyhigh = static_cast<DBINT>(value.currency >> 32);
      m.mnylow = static_cast<DBUINT>(value.currency & 0xFFFFFFFF);
      p.type = SYBMONEY;
      p.bytes = bytesOf(&m, sizeof m);
      break;
    }
    case ValueKind::Date: {
      // yyyymmdd hh:mm:ss reads the same under every language and date format.
      int y, mo, d, h, mi, s;
      oleDateToParts(value.real, y, mo, d, h, mi, s);
      char text[40];
      std::snprintf(text, sizeof text, "%04d%02d%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
      p.bytes = text;
      break;
    }
    case ValueKind::Guid: {
      std::string_view g = value.text;
      if (g.size() == 38 && g.front() == '{') g = g.substr(1, 36);
      p.bytes = std::string(g);
      break;
    }
    case ValueKind::Decimal:
    case ValueKind::String:
    case ValueKind::Binary:
      p.bytes = std::string(value.text);
      break;
  }
  return p;
}

}  // namespace kpx::data
