// The fields of a fixed-width text file as names and lengths, the ruler that counts the
// previewed rows' characters, and the rules a field list must pass: what the fixed-width
// editor's grid, ruler and guess share, with no widget in it. Positions count characters
// (Unicode code points), never bytes.
#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace kpx::ui {

// The digits over each column, "1234567890" repeated, `width` characters long.
QString rulerText(int width);
// The tens marks over the ruler: every complete block of ten ends in its column number,
// right-aligned behind dots; blocks from the hundredth on add nothing.
QString tensText(int width);

// A row as the preview shows it, one code point per column.
std::u32string previewCells(const QString& row);

class FixedWidthLayout {
 public:
  struct Field {
    QString name;
    int length = 0;
  };

  FixedWidthLayout() = default;
  explicit FixedWidthLayout(std::vector<Field> fields) : m_fields(std::move(fields)) {}

  const std::vector<Field>& fields() const { return m_fields; }
  int totalLength() const;
  // The character counts after which each field ends, in order.
  std::vector<int> boundaries() const;

  // Adds or removes the boundary after `position` characters (position >= 1): inside a field
  // it splits it (the left part keeps the name); on a field's end it joins that field to the
  // next, or drops the last field; past the last field it adds a field reaching there.
  void toggleBoundary(int position);

  // Replaces the fields with those the blank columns common to every non-empty row
  // suggest: a field starts wherever a blank column is followed by one that is not blank in
  // some row; the last field reaches the longest row's end. Existing names are kept by
  // position. Nothing changes when every row is empty.
  void guess(const QStringList& rows);

 private:
  // "Col" and three digits, the first number no field uses (compared without regard to case).
  QString freshName() const;

  std::vector<Field> m_fields;
};

// A field list as the editor's grid holds it: names and lengths as typed.
struct FieldRow {
  QString name;
  QString length;
};

// The message that refuses `rows`, or 0 when they are a valid field list: 521 no field,
// 519 a cell empty, 520 two names equal without regard to case, 527 a length of "0".
int32_t fieldListProblem(const std::vector<FieldRow>& rows);

// What the editor hands back: the lengths and the names joined with ",", and the count.
struct FieldList {
  std::string lengths;
  std::string names;
  int32_t count = 0;
};
FieldList joinFields(const std::vector<FieldRow>& rows);
// The rows a stored list describes; missing names or lengths stay empty.
std::vector<FieldRow> splitFields(const std::string& lengths, const std::string& names,
                                  int32_t count);

}  // namespace kpx::ui
