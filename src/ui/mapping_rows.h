// The rows of the mapping grid, without widgets: one row per destination column, what feeds
// it (a source column, a constant or nothing) and, for a table still to be created, its
// type, size and nulls. The editing rules and the turning of rows into a transformation set
// or a table structure live here so they can be checked without a display.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/mod_database.h"
#include "kpxwizard/connection.h"
#include "kpxwizard/transformations.h"

namespace kpx::ui {

enum MappingColumn : int {
  MapSource = 0,
  MapDestination = 1,
  MapType = 2,
  MapSize = 3,
  MapNull = 4,
  MapConstant = 5,
  MapColumnCount = 6
};

// Stored values of the two special entries; the lists show their labels instead.
inline constexpr std::string_view kConstantEntry = "1";
inline constexpr std::string_view kIgnoreEntry = "2";
// The two values of the Null column.
inline constexpr std::string_view kNullable = "NULL";
inline constexpr std::string_view kNotNullable = "NOT NULL";

class MappingRows {
 public:
  using Row = std::array<std::string, MapColumnCount>;

  // 1 when the rows define a table to create, 2 when they map onto existing columns.
  int32_t createTable() const { return m_createTable; }
  void setCreateTable(int32_t value) { m_createTable = value; }
  int32_t destinationKind() const { return m_destinationKind; }
  void setDestinationKind(int32_t kind) { m_destinationKind = kind; }

  int rowCount() const { return static_cast<int>(m_rows.size()); }
  const std::string& cell(int row, int column) const { return m_rows.at(row).at(column); }
  void setCell(int row, int column, std::string value) {
    m_rows.at(row).at(column) = std::move(value);
  }
  void setRows(std::vector<Row> rows) { m_rows = std::move(rows); }

  // The source's column names, listed in column 0 after the two special entries.
  void setSourceColumns(std::vector<std::string> names) { m_sourceColumns = std::move(names); }
  // Stored values column `column` offers, in list order; empty for cells typed freely.
  std::vector<std::string> listValues(int column) const;

  // One row per column of `destination`, with its name, type name in the destination kind's
  // terms, size and nulls; nothing feeds it yet.
  void fillDestination(const clsConnection& destination);
  // One row per structure row (name, type, size, null entry).
  void fillDestination(const modDatabase::StructureArray& structure);
  // Shows `set` in the rows whose destination is the first destination field of each
  // transformation; transformations whose destination is not a row are skipped.
  void fillFromTransformations(const clsTransformations& set);

  // Feeds each row that nothing feeds yet from the source column of the same name, letter
  // case aside.
  void pairByName();

  bool isEditable(int row, int column) const;
  // Keys a Size cell accepts: the digits and Backspace.
  static bool acceptsSizeKey(int key);
  static bool isLengthBearing(std::string_view type);
  // Type names a new column of that destination kind can take, in the order offered.
  static const std::vector<std::string>& typeList(int32_t kind);

  // The structure of the table to create from the used rows, or why there is none:
  // 1 done, -6 no rows, -3 a row feeds no destination, -4 no row used, -2 a name twice.
  int16_t fillStructure(modDatabase::StructureArray& structure) const;

  // Replaces `target`'s transformations with the rows': a constant or a copy per used row,
  // named "tra_" + row index + source value. The fields are the columns of that name of
  // `source` and `destination`. `names` and `sizes` get the mapped destination names and
  // sizes, comma-separated.
  void copyTransformations(clsTransformations& target, const clsConnection& source,
                           const clsConnection& destination, std::string& names,
                           std::string& sizes) const;

 private:
  bool feedsNothing(int row) const;

  int32_t m_createTable = 2;
  int32_t m_destinationKind = 0;
  std::vector<Row> m_rows;
  std::vector<std::string> m_sourceColumns;
};

}  // namespace kpx::ui
