#include "ui/mapping_grid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimer>

#include "ui/texts.h"

namespace kpx::ui {

namespace {

// Captions of the six columns: labels of the text table.
constexpr std::array<int32_t, MapColumnCount> kCaptions{3, 4, 24, 25, 26, 27};

bool hasList(const MappingRows& rows, int column) {
  return column != MapDestination ? !rows.listValues(column).empty() : rows.createTable() != 2;
}

}  // namespace

void MappingGridModel::change(const std::function<void(MappingRows&)>& edit) {
  beginResetModel();
  edit(m_rows);
  endResetModel();
}

void MappingGridModel::setLanguage(int32_t language) {
  m_language = language;
  emit headerDataChanged(Qt::Horizontal, 0, MapColumnCount - 1);
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, MapColumnCount - 1));
}

QString MappingGridModel::shownText(int column, const std::string& value) const {
  if (column == MapSource && value == kConstantEntry) return uiText(67, m_language);
  if ((column == MapSource || column == MapDestination) && value == kIgnoreEntry)
    return uiText(66, m_language);
  return QString::fromStdString(value);
}

int MappingGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows.rowCount();
}

int MappingGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : MapColumnCount;
}

QVariant MappingGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const std::string& value = m_rows.cell(index.row(), index.column());
  switch (role) {
    case Qt::DisplayRole:
      return shownText(index.column(), value);
    case Qt::EditRole:
      return QString::fromStdString(value);
    case Qt::TextAlignmentRole:
      // Sizes read as numbers.
      if (index.column() == MapSize) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

bool MappingGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !m_rows.isEditable(index.row(), index.column()))
    return false;
  std::string text = value.toString().toStdString();
  if (index.column() == MapSize &&
      !std::all_of(text.begin(), text.end(), [](char c) { return MappingRows::acceptsSizeKey(c); }))
    return false;
  const bool wasConstant = m_rows.cell(index.row(), MapSource) == kConstantEntry;
  m_rows.setCell(index.row(), index.column(), std::move(text));
  // A type without a length takes none.
  if (index.column() == MapType && !MappingRows::isLengthBearing(m_rows.cell(index.row(), MapType)))
    m_rows.setCell(index.row(), MapSize, "0");
  // The cells whose editability follows from this one are redrawn with it.
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), MapColumnCount - 1));
  if (index.column() == MapSource && !wasConstant &&
      m_rows.cell(index.row(), MapSource) == kConstantEntry)
    emit constantChosen(index.row());
  return true;
}

Qt::ItemFlags MappingGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (m_rows.isEditable(index.row(), index.column())) flags |= Qt::ItemIsEditable;
  return flags;
}

QVariant MappingGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return uiText(kCaptions.at(section), m_language);
}

QWidget* MappingGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
  const auto* model = qobject_cast<const MappingGridModel*>(index.model());
  const int column = index.column();
  if (!model || !hasList(model->rows(), column)) {
    auto* line = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
    if (line && column == MapSize)
      line->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
    return line;
  }
  auto* list = new QComboBox(parent);
  list->setObjectName(QStringLiteral("tdbMainList"));
  // A new column's name is typed; the list offers only the ignore entry beside it.
  list->setEditable(column == MapDestination);
  for (const std::string& value : model->rows().listValues(column))
    list->addItem(model->shownText(column, value), QString::fromStdString(value));
  auto* self = const_cast<MappingGridDelegate*>(this);
  connect(list, &QComboBox::activated, self, [self, list] {
    emit self->commitData(list);
    emit self->closeEditor(list, QAbstractItemDelegate::EditNextItem);
  });
  return list;
}

void MappingGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* list = qobject_cast<QComboBox*>(editor);
  if (!list) return QStyledItemDelegate::setEditorData(editor, index);
  const QString value = index.data(Qt::EditRole).toString();
  // A source cell that feeds nothing is stored empty; its list shows that as the ignore entry,
  // so opening and closing the list does not turn the row into a constant.
  const int at = value.isEmpty() && index.column() == MapSource
                     ? list->findData(QString::fromLatin1(kIgnoreEntry.data(), kIgnoreEntry.size()))
                     : list->findData(value);
  if (at >= 0)
    list->setCurrentIndex(at);
  else if (list->isEditable())
    list->setEditText(value);
}

void MappingGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const {
  auto* list = qobject_cast<QComboBox*>(editor);
  if (!list) return QStyledItemDelegate::setModelData(editor, model, index);
  QString value = list->currentData().toString();
  // A typed name that is not one of the entries is stored as typed.
  if (list->isEditable() && list->currentText() != list->itemText(list->currentIndex()))
    value = list->currentText();
  model->setData(index, value, Qt::EditRole);
}

MappingGridView::MappingGridView(QWidget* parent) : QTableView(parent) {
  setObjectName(QStringLiteral("tdbMain"));
  setItemDelegate(new MappingGridDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  setTabKeyNavigation(false);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

void MappingGridView::setMappingModel(MappingGridModel* model) {
  setModel(model);
  connect(model, &MappingGridModel::constantChosen, this, [this, model](int row) {
    // After the list's editor has closed, so the next cell is not left behind it.
    QTimer::singleShot(0, this, [this, model, row] {
      if (row < model->rowCount()) setCurrentIndex(model->index(row, MapConstant));
    });
  });
}

void MappingGridView::fitColumns() {
  resizeColumnsToContents();
  const auto* mapping = qobject_cast<const MappingGridModel*>(model());
  if (!mapping) return;
  int widest = 0;
  for (const std::string& value : mapping->rows().listValues(MapSource))
    widest =
        std::max(widest, fontMetrics().horizontalAdvance(mapping->shownText(MapSource, value)));
  // Room for the list's arrow beside its text.
  const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                    2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
  setColumnWidth(MapSource, std::max(columnWidth(MapSource), widest + arrow));
}

void MappingGridView::commitPendingEdit() {
  QWidget* editor = indexWidget(currentIndex());
  if (!editor)
    editor = focusWidget() != this && isAncestorOf(focusWidget()) ? focusWidget() : nullptr;
  if (!editor) return;
  // A combo box's line edit has focus; its box is the editor the delegate knows.
  if (auto* line = qobject_cast<QLineEdit*>(editor);
      line && qobject_cast<QComboBox*>(line->parentWidget()))
    editor = line->parentWidget();
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool MappingGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // The source and type cells are chosen from their lists, never typed into.
  if (trigger == AnyKeyPressed && (index.column() == MapSource || index.column() == MapType))
    return false;
  if (trigger == AnyKeyPressed && index.column() == MapSize && event &&
      event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    if (typed.isEmpty() || !MappingRows::acceptsSizeKey(typed.at(0).unicode())) return false;
  }
  const bool started = QTableView::edit(index, trigger, event);
  if (started) {
    if (auto* list = qobject_cast<QComboBox*>(indexWidget(index)); list && !list->isEditable())
      QTimer::singleShot(0, list, &QComboBox::showPopup);
  }
  return started;
}

void MappingGridView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Down && event->modifiers() & Qt::AltModifier &&
      state() != EditingState) {
    edit(currentIndex(), EditKeyPressed, event);
    return;
  }
  // Enter on a cell that is not being edited moves down, as in a spreadsheet, instead of
  // reaching the window's default button and leaving the step.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && state() != EditingState && currentIndex().isValid()) {
    const QModelIndex below = currentIndex().siblingAtRow(currentIndex().row() + 1);
    if (below.isValid()) setCurrentIndex(below);
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace kpx::ui
