#include "ui/preview_line.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "ui/fixed_width_layout.h"

namespace kpx::ui {
namespace {

constexpr int kShownColumns = 80;
constexpr char32_t kTab = U'\t';
constexpr char16_t kTabMark = u'\u2192';  // rightwards arrow

}  // namespace

PreviewLine::PreviewLine(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PreviewLine::setText(const QString& text) {
  m_cells = previewCells(text);
  update();
}

void PreviewLine::setOffset(int offset) {
  m_offset = std::max(offset, 1);
  update();
}

void PreviewLine::setBoundaries(std::vector<int> boundaries) {
  m_boundaries = std::move(boundaries);
  update();
}

void PreviewLine::setClickable(bool clickable) {
  m_clickable = clickable;
  setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
  setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

int PreviewLine::cellWidth() const {
  return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

int PreviewLine::columnX(int column) const {
  return (column - m_offset) * cellWidth() + 2;
}

QSize PreviewLine::sizeHint() const {
  return {kShownColumns * cellWidth() + 4, fontMetrics().height() + 4};
}

QSize PreviewLine::minimumSizeHint() const {
  return {40 * cellWidth(), fontMetrics().height() + 4};
}

void PreviewLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int cell = cellWidth();
  const QRect line = rect();
  if (m_clickable) painter.fillRect(line, palette().alternateBase());
  const QColor muted = palette().color(QPalette::PlaceholderText);
  for (size_t i = static_cast<size_t>(m_offset - 1); i < m_cells.size(); ++i) {
    const int x = columnX(static_cast<int>(i) + 1);
    if (x > line.right()) break;
    const QRect box(x, 0, cell, line.height());
    const char32_t c = m_cells[i];
    if (c == kTab) {
      painter.setPen(muted);
      painter.drawText(box, Qt::AlignCenter, QString(QChar(kTabMark)));
      continue;
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const QString glyph = QString::fromStdU32String(std::u32string(1, c));
    const int advance = fontMetrics().horizontalAdvance(glyph);
    if (advance <= cell) {
      painter.drawText(box, Qt::AlignCenter, glyph);
      continue;
    }
    // A wide character is squeezed into its one column, so the columns after it stay put.
    painter.save();
    painter.translate(x, 0);
    painter.scale(double(cell) / advance, 1.0);
    painter.drawText(QRect(0, 0, advance, line.height()), Qt::AlignCenter, glyph);
    painter.restore();
  }
  painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
  for (int end : m_boundaries) {
    const int x = columnX(end + 1) - 1;
    if (x >= 0 && x <= line.right()) painter.drawLine(x, 0, x, line.height());
  }
  if (m_clickable && hasFocus()) {
    const int x = columnX(m_cursor + 1) - 1;
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
    painter.drawRect(x - cell / 2, 0, cell, line.height() - 1);
  }
}

void PreviewLine::mousePressEvent(QMouseEvent* event) {
  if (!m_clickable || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // The nearest edge between two columns.
  const double edges = double(event->position().x() - 2) / cellWidth();
  const int position = m_offset - 1 + static_cast<int>(std::lround(edges));
  if (position < 1) return;
  m_cursor = position;
  emit boundaryClicked(position);
}

void PreviewLine::keyPressEvent(QKeyEvent* event) {
  if (!m_clickable) return QWidget::keyPressEvent(event);
  switch (event->key()) {
    case Qt::Key_Left:
      m_cursor = std::max(1, m_cursor - 1);
      break;
    case Qt::Key_Right:
      m_cursor = std::min<int>(std::max<size_t>(m_cells.size(), 1), m_cursor + 1);
      break;
    case Qt::Key_Space:
      emit boundaryClicked(m_cursor);
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
  update();
}

}  // namespace kpx::ui
