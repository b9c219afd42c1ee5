// One line of the text preview: a row of the file, the ruler or its tens, drawn one
// character per fixed-width cell from the view offset on, so that every line stays aligned
// column for column whatever the characters (accented, wide, tabs, which show as an arrow).
// Field boundaries are drawn between cells; a clickable line (the ruler) reports the
// boundary nearest to a click, or to its keyboard cursor on Space.
#pragma once
#include <QWidget>
#include <string>
#include <vector>

namespace kpx::ui {

class PreviewLine : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewLine(const QString& name, QWidget* parent = nullptr);

  QString text() const { return QString::fromStdU32String(m_cells); }
  void setText(const QString& text);
  // The first column shown, 1-based.
  void setOffset(int offset);
  int offset() const { return m_offset; }
  // Boundaries as character counts after which a field ends.
  void setBoundaries(std::vector<int> boundaries);
  // A line that reports clicks (the ruler); it then takes the keyboard focus too.
  void setClickable(bool clickable);

  // Width of one column in pixels.
  int cellWidth() const;
  // The x of the left edge of column `column` (1-based) as shown at the current offset.
  int columnX(int column) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // The boundary after `position` characters was asked for.
  void boundaryClicked(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::u32string m_cells;
  std::vector<int> m_boundaries;
  int m_offset = 1;
  bool m_clickable = false;
  // The boundary the keyboard points at, a character count.
  int m_cursor = 1;
};

}  // namespace kpx::ui
