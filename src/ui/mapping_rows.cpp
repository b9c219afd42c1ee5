#include "ui/mapping_rows.h"

#include <algorithm>

namespace kpx::ui {

namespace {

bool isDigitKey(int key) {
  return key >= '0' && key <= '9';
}

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

std::vector<std::string> MappingRows::listValues(int column) const {
  switch (column) {
    case MapSource: {
      std::vector<std::string> values{std::string(kConstantEntry), std::string(kIgnoreEntry)};
      values.insert(values.end(), m_sourceColumns.begin(), m_sourceColumns.end());
      return values;
    }
    case MapDestination:
      return {std::string(kIgnoreEntry)};
    case MapType:
      return typeList(m_destinationKind);
    case MapNull:
      return {std::string(kNullable), std::string(kNotNullable)};
    default:
      return {};
  }
}

void MappingRows::fillDestination(const clsConnection& destination) {
  const int32_t kind = destination.ConType();
  m_rows.clear();
  for (const auto& column : *destination.Columns()) {
    Row row;
    row[MapDestination] = column->Name();
    row[MapType] = kind == CONN_TEXTFILE    ? modDatabase::TextTypeName(column->DataType())
                   : kind == CONN_SQLServer ? modDatabase::SqlServerTypeName(column->DataType())
                                            : modDatabase::JetTypeName(column->DataType());
    row[MapSize] = std::to_string(column->Size());
    row[MapNull] = modDatabase::NullClause(column->Nullable());
    m_rows.push_back(std::move(row));
  }
}

void MappingRows::fillDestination(const modDatabase::StructureArray& structure) {
  m_rows.clear();
  for (const auto& entry : structure) {
    Row row;
    for (int i = 0; i < 4; ++i) row[MapDestination + i] = entry[i];
    m_rows.push_back(std::move(row));
  }
}

void MappingRows::fillFromTransformations(const clsTransformations& set) {
  for (const auto& t : set) {
    if (t->DestinationFields()->Count() == 0) continue;
    const std::string& target = t->DestinationFields()->Item(1)->Name();
    auto row = std::find_if(m_rows.begin(), m_rows.end(),
                            [&](const Row& r) { return r[MapDestination] == target; });
    if (row == m_rows.end()) continue;
    if (t->TransformationType() == kpxConstantColumn) {
      (*row)[MapSource] = kConstantEntry;
      (*row)[MapConstant] = t->ConstantValue();
    } else if (t->SourceFields()->Count() > 0) {
      (*row)[MapSource] = t->SourceFields()->Item(1)->Name();
    }
  }
}

void MappingRows::pairByName() {
  for (Row& row : m_rows) {
    if (!row[MapSource].empty()) continue;
    const std::string wanted = upper(row[MapDestination]);
    for (const std::string& name : m_sourceColumns)
      if (upper(name) == wanted) {
        row[MapSource] = name;
        break;
      }
  }
}

bool MappingRows::isEditable(int row, int column) const {
  switch (column) {
    case MapSource:
      return true;
    case MapConstant:
      return cell(row, MapSource) == kConstantEntry;
    case MapSize:
      return m_createTable != 2 && isLengthBearing(cell(row, MapType));
    default:
      return m_createTable != 2;
  }
}

bool MappingRows::acceptsSizeKey(int key) {
  return isDigitKey(key) || key == '\b';
}

bool MappingRows::isLengthBearing(std::string_view type) {
  static const std::array<std::string_view, 6> lengthBearing{"VarBinary", "VarChar", "Binary",
                                                             "char",      "nchar",   "nvarchar"};
  return std::find(lengthBearing.begin(), lengthBearing.end(), type) != lengthBearing.end();
}

const std::vector<std::string>& MappingRows::typeList(int32_t kind) {
  static const std::vector<std::string> jet{
      "VarBinary", "VarChar", "Decimal", "BigBinary", "LongText", "Currency",   "Datetime",
      "Byte",      "Short",   "Long",    "Single",    "Double",   "LongBinary", "GUID"};
  static const std::vector<std::string> sqlServer{
      "bigint",   "numeric",  "VarBinary", "Binary", "VarChar",     "nchar",
      "nvarchar", "char",     "text",      "ntext",  "money",       "Datetime",
      "tinyint",  "smallint", "real",      "float",  "sql_variant", "uniqueidentifier"};
  static const std::vector<std::string> text{"Binary", "char", "integer", "VarChar"};
  if (kind == CONN_SQLServer) return sqlServer;
  if (kind == CONN_TEXTFILE) return text;
  return jet;
}

bool MappingRows::feedsNothing(int row) const {
  const std::string& destination = cell(row, MapDestination);
  return destination.empty() || destination == kIgnoreEntry;
}

int16_t MappingRows::fillStructure(modDatabase::StructureArray& structure) const {
  if (m_rows.empty()) return -6;
  std::vector<int> used;
  for (int r = 0; r < rowCount(); ++r) {
    if (!feedsNothing(r)) {
      used.push_back(r);
    } else if (!cell(r, MapSource).empty() && cell(r, MapSource) != kIgnoreEntry) {
      return -3;
    }
  }
  if (used.empty()) return -4;
  std::vector<std::string> names;
  for (int r : used) names.push_back(upper(cell(r, MapDestination)));
  std::sort(names.begin(), names.end());
  if (std::adjacent_find(names.begin(), names.end()) != names.end()) return -2;
  structure.clear();
  for (int r : used)
    structure.push_back(
        {cell(r, MapDestination), cell(r, MapType), cell(r, MapSize), cell(r, MapNull)});
  return 1;
}

void MappingRows::copyTransformations(clsTransformations& target, const clsConnection& source,
                                      const clsConnection& destination, std::string& names,
                                      std::string& sizes) const {
  target.Reset();
  names.clear();
  sizes.clear();
  for (int r = 0; r < rowCount(); ++r) {
    const std::string& feed = cell(r, MapSource);
    // An ignored source feeds nothing: the destination column keeps its default.
    if (feedsNothing(r) || feed.empty() || feed == kIgnoreEntry) continue;
    auto t = target.Add("tra_" + std::to_string(r) + feed);
    if (feed == kConstantEntry) {
      t->setTransformationType(kpxConstantColumn);
      t->setConstantValue(cell(r, MapConstant));
    } else {
      t->setTransformationType(kpxCopyColumn);
      t->SourceFields()->AddColumn(source.Columns()->Item(feed));
    }
    t->DestinationFields()->AddColumn(destination.Columns()->Item(cell(r, MapDestination)));
    names += cell(r, MapDestination) + ",";
    sizes += cell(r, MapSize) + ",";
  }
  if (!names.empty()) names.pop_back();
  if (!sizes.empty()) sizes.pop_back();
}

}  // namespace kpx::ui
