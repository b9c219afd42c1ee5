#include "ui/fixed_width_layout.h"

#include <QSet>
#include <algorithm>

namespace kpx::ui {

QString rulerText(int width) {
  const QString digits = QStringLiteral("1234567890");
  QString ruler;
  for (int block = 1; block <= width / 10; ++block) ruler += digits;
  return ruler + digits.left(width % 10);
}

QString tensText(int width) {
  QString tens;
  for (int block = 1; block <= width / 10 && block < 100; ++block)
    tens +=
        QString(block < 10 ? 8 : 7, QLatin1Char('.')) + QString::number(block) + QLatin1Char('0');
  return tens;
}

std::u32string previewCells(const QString& row) {
  return row.toStdU32String();
}

int FixedWidthLayout::totalLength() const {
  int total = 0;
  for (const Field& field : m_fields) total += field.length;
  return total;
}

std::vector<int> FixedWidthLayout::boundaries() const {
  std::vector<int> ends;
  int end = 0;
  for (const Field& field : m_fields) ends.push_back(end += field.length);
  return ends;
}

void FixedWidthLayout::toggleBoundary(int position) {
  if (position < 1) return;
  int start = 0;
  for (size_t i = 0; i < m_fields.size(); ++i) {
    const int end = start + m_fields[i].length;
    if (position == end) {
      if (i + 1 < m_fields.size()) {
        m_fields[i].length += m_fields[i + 1].length;
        m_fields.erase(m_fields.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      } else {
        m_fields.pop_back();
      }
      return;
    }
    if (position < end) {
      Field right{freshName(), end - position};
      m_fields[i].length = position - start;
      m_fields.insert(m_fields.begin() + static_cast<std::ptrdiff_t>(i) + 1, right);
      return;
    }
    start = end;
  }
  m_fields.push_back({freshName(), position - start});
}

void FixedWidthLayout::guess(const QStringList& rows) {
  std::vector<std::u32string> cells;
  size_t width = 0;
  for (const QString& row : rows)
    if (!row.isEmpty()) {
      cells.push_back(previewCells(row));
      width = std::max(width, cells.back().size());
    }
  if (cells.empty()) return;
  auto blank = [&cells](size_t column) {
    return std::all_of(cells.begin(), cells.end(), [column](const std::u32string& row) {
      return column >= row.size() || row[column] == U' ';
    });
  };
  std::vector<int> starts;
  for (size_t column = 1; column < width; ++column)
    if (blank(column - 1) && !blank(column)) starts.push_back(static_cast<int>(column));
  starts.push_back(static_cast<int>(width));

  std::vector<Field> previous = std::move(m_fields);
  m_fields.clear();
  int start = 0;
  for (int end : starts) {
    const size_t i = m_fields.size();
    m_fields.push_back({i < previous.size() ? previous[i].name : QString(), end - start});
    start = end;
  }
  for (Field& field : m_fields)
    if (field.name.isEmpty()) field.name = freshName();
}

QString FixedWidthLayout::freshName() const {
  QSet<QString> taken;
  for (const Field& field : m_fields) taken.insert(field.name.toCaseFolded());
  for (int n = 1;; ++n) {
    const QString name = QStringLiteral("Col%1").arg(n, 3, 10, QLatin1Char('0'));
    if (!taken.contains(name.toCaseFolded())) return name;
  }
}

int32_t fieldListProblem(const std::vector<FieldRow>& rows) {
  if (rows.empty()) return 521;
  for (const FieldRow& row : rows)
    if (row.name.isEmpty() || row.length.isEmpty()) return 519;
  QSet<QString> names;
  for (const FieldRow& row : rows) {
    const QString folded = row.name.toCaseFolded();
    if (names.contains(folded)) return 520;
    names.insert(folded);
  }
  for (const FieldRow& row : rows) {
    bool number = false;
    if (row.length.trimmed().toInt(&number) <= 0 || !number) return 527;
  }
  return 0;
}

FieldList joinFields(const std::vector<FieldRow>& rows) {
  QStringList lengths;
  QStringList names;
  for (const FieldRow& row : rows) {
    lengths << row.length;
    names << row.name;
  }
  return {lengths.join(QLatin1Char(',')).trimmed().toStdString(),
          names.join(QLatin1Char(',')).trimmed().toStdString(), static_cast<int32_t>(rows.size())};
}

std::vector<FieldRow> splitFields(const std::string& lengths, const std::string& names,
                                  int32_t count) {
  const QStringList lengthList = QString::fromStdString(lengths).split(QLatin1Char(','));
  const QStringList nameList = QString::fromStdString(names).split(QLatin1Char(','));
  const qsizetype rows = count > 0 ? count : std::max(lengthList.size(), nameList.size());
  std::vector<FieldRow> fields;
  for (qsizetype i = 0; i < rows; ++i)
    fields.push_back({nameList.value(i).trimmed(), lengthList.value(i).trimmed()});
  return fields;
}

}  // namespace kpx::ui
