// The mapping grid tdbMain: a table model over the window's mapping rows, showing the labels
// of the special entries, and a table view whose cells edit as a spreadsheet's do (arrows
// move, F2 or typing edits, Enter commits, Escape cancels, Alt+Down opens a cell's list).
#pragma once
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "ui/mapping_rows.h"

namespace kpx::ui {

class MappingGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit MappingGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  const MappingRows& rows() const { return m_rows; }
  // Changes the rows as a whole; the views are told to read them again.
  void change(const std::function<void(MappingRows&)>& edit);
  void setLanguage(int32_t language);
  // What the grid shows for `value` stored in `column`.
  QString shownText(int column, const std::string& value) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // The constant entry was chosen as a row's source: its Constant cell is next.
  void constantChosen(int row);

 private:
  MappingRows m_rows;
  int32_t m_language = 0;
};

// Editors by column: a list for the source, type and null cells (and, in a new table, the
// destination name with its ignore entry), digits only for sizes, free text for constants.
class MappingGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
};

class MappingGridView : public QTableView {
  Q_OBJECT

 public:
  explicit MappingGridView(QWidget* parent = nullptr);
  void setMappingModel(MappingGridModel* model);
  // Sizes the columns to their cells and headings, and the source column to its list's longest
  // entry, so that a constant or ignored row chosen later is not cut.
  void fitColumns();
  // Ends the edit in progress, keeping what was typed.
  void commitPendingEdit();

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kpx::ui
