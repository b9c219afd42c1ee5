// The names the column types of a source take in a new destination table: Jet (Access,
// Excel), SQL Server and text-file names, the text-file widths, and the size and null parts
// of a CREATE TABLE column line.
#include <string>

#include "data/mod_database.h"
#include "kpxwizard/automation_error.h"
#include "model/vb_conversions.h"

namespace kpx::modDatabase {
namespace {

// Width taken from the column itself rather than from the type.
constexpr int32_t kColumnSize = -1;

struct TypeNames {
  int32_t code;
  const char* jet;
  const char* sqlServer;
  const char* text;
  int32_t textWidth;
};

// One row per ADO type code. Code 12 (variant) is written to text files as "Binary", and
// every other code written as "Binary" gets the width 50, so code 12 gets 50 as well.
constexpr TypeNames kTypeNames[] = {
    {2, "Short", "smallint", "int", 2},
    {3, "Long", "int", "int", 12},
    {4, "Single", "real", "int", 9},
    {5, "Double", "float", "int", 17},
    {6, "Currency", "money", "int", 21},
    {7, "Datetime", "Datetime", "int", 8},
    {11, "Bit", "Bit", "int", 5},
    {12, "BigBinary", "sql_variant", "Binary", 50},
    {16, "Byte", "tinyint", "int", 12},
    {17, "Byte", "tinyint", "int", 12},
    {18, "Short", "smallint", "int", 2},
    {19, "Long", "int", "int", 12},
    {20, "Decimal", "bigint", "int", 20},
    {21, "Long", "int", "int", 12},
    {72, "GUID", "uniqueidentifier", "int", 16},
    {128, "VarBinary", "Binary", "Binary", 50},
    {129, "VarChar", "char", "VarChar", kColumnSize},
    {130, "VarChar", "nchar", "VarChar", kColumnSize},
    {131, "Decimal", "numeric", "int", 20},
    {133, "Datetime", "Datetime", "int", 8},
    {135, "Datetime", "Datetime", "int", 8},
    {200, "VarChar", "VarChar", "VarChar", kColumnSize},
    {201, "LongText", "VarChar", "VarChar", kColumnSize},
    {202, "VarChar", "nvarchar", "VarChar", kColumnSize},
    {203, "LongText", "VarChar", "VarChar", kColumnSize},
    {204, "VarBinary", "VarBinary", "Binary", 50},
    {205, "LongBinary", "nvarchar", "Binary", 50},
};
constexpr TypeNames kOtherCodes = {0, "VarChar", "nvarchar", "VarChar", kColumnSize};

const TypeNames& namesOf(int32_t code) {
  for (const auto& row : kTypeNames)
    if (row.code == code) return row;
  return kOtherCodes;
}

}  // namespace

std::string JetTypeName(int32_t code) {
  return namesOf(code).jet;
}

std::string SqlServerTypeName(int32_t code) {
  return namesOf(code).sqlServer;
}

std::string TextTypeName(int32_t code) {
  return namesOf(code).text;
}

int32_t TextTypeSize(int32_t code, int32_t columnSize) {
  int32_t width = namesOf(code).textWidth;
  return width == kColumnSize ? columnSize : width;
}

int16_t TypeCodeFromName(std::string_view name) {
  if (name == "VarChar") return 202;
  if (name == "char") return 129;
  if (name == "integer") return 3;
  if (name == "Binary") return 128;
  return 0;
}

std::string NullClause(bool nullable) {
  return nullable ? "NULL" : "NOT NULL";
}

bool IsNullText(std::string_view text) {
  return text == "NULL";
}

std::string NullText(std::string_view text) {
  if (text == "-1" || text == "NULL") return "NULL";
  if (text == "0" || text == "NOT NULL") return "NOT NULL";
  return {};
}

std::string SizeClause(std::string_view size) {
  if (size.empty()) return " ";
  std::optional<double> value = vb::parseNumber(size);
  if (!value)
    throw AutomationError(
        vb::kErrTypeMismatch, "kpxwizard",
        "Type mismatch: the column size \"" + std::string(size) + "\" is not a number");
  if (*value == 0) return " ";
  if (*value > 255) return " (255) ";
  return " (" + std::string(size) + ") ";
}

}  // namespace kpx::modDatabase
