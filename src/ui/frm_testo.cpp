#include "ui/frm_testo.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "ui/icons.h"
#include "ui/preview_line.h"
#include "ui/texts.h"
#include "ui/trapped_handler.h"

namespace kpx::ui {
namespace {

constexpr int kNameColumn = 0;
constexpr int kLengthColumn = 1;

// The length column takes digits only, and an update that leaves it empty is refused.
class LengthDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), editor));
    return editor;
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    const QString typed = static_cast<QLineEdit*>(editor)->text().trimmed();
    if (!typed.isEmpty()) model->setData(index, typed, Qt::EditRole);
  }
};

// The grid's rows as fields; a length not yet typed counts as 0.
FixedWidthLayout layoutOf(const std::vector<FieldRow>& rows) {
  std::vector<FixedWidthLayout::Field> fields;
  for (const FieldRow& row : rows) fields.push_back({row.name, row.length.toInt()});
  return FixedWidthLayout(std::move(fields));
}

QString cell(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text().trimmed() : QString();
}

}  // namespace

frmTesto::frmTesto(cKPXWizard& wizard, QWidget* parent) : QDialog(parent), m_wizard(wizard) {
  setObjectName(QStringLiteral("frmTesto"));
  setWindowTitle(QString::fromStdString(m_wizard.AppName()));
  setWindowIcon(kpxIcon("ICO_MAIN"));
  buildControls();
}

QString frmTesto::text(int32_t n) const {
  return uiText(n, m_wizard.Language());
}

void frmTesto::trapped(const char* procedure, const std::function<void()>& handler) {
  runTrapped("frmTesto", procedure, handler);
}

void frmTesto::buildControls() {
  lblTitolo = new QLabel;
  lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
  QFont heading = lblTitolo->font();
  heading.setBold(true);
  lblTitolo->setFont(heading);

  auto* preview = new QFrame;
  preview->setObjectName(QStringLiteral("fraPreview"));
  preview->setFrameShape(QFrame::StyledPanel);
  preview->setBackgroundRole(QPalette::Base);
  preview->setAutoFillBackground(true);
  preview->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* lines = new QVBoxLayout(preview);
  lines->setSpacing(0);
  lblDecine = new PreviewLine(QStringLiteral("lblDecine"));
  lblScala = new PreviewLine(QStringLiteral("lblScala"));
  lines->addWidget(lblDecine);
  lines->addWidget(lblScala);
  for (size_t i = 0; i < lblTesto.size(); ++i) {
    lblTesto[i] =
        new PreviewLine(i == 0 ? QStringLiteral("lblTesto") : QStringLiteral("lblTesto%1").arg(i));
    lines->addWidget(lblTesto[i]);
  }
  HScroll1 = new QScrollBar(Qt::Horizontal);
  HScroll1->setObjectName(QStringLiteral("HScroll1"));
  lines->addWidget(HScroll1);

  QSet<QChar> used;
  tdbFixText = new QTableWidget(0, 2);
  tdbFixText->setObjectName(QStringLiteral("tdbFixText"));
  tdbFixText->setHorizontalHeaderLabels({text(53), text(54)});
  tdbFixText->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
  tdbFixText->horizontalHeader()->setSectionResizeMode(kLengthColumn,
                                                       QHeaderView::ResizeToContents);
  tdbFixText->setItemDelegateForColumn(kLengthColumn, new LengthDelegate(tdbFixText));
  tdbFixText->setTabKeyNavigation(false);
  // Room for a name worth reading beside its length, and a few fields, at any scale.
  tdbFixText->setMinimumSize(tdbFixText->fontMetrics().averageCharWidth() * 36,
                             tdbFixText->fontMetrics().height() * 9);
  tdbFixText->installEventFilter(this);
  cmdGuess = new QPushButton(withMnemonic(guessText(m_wizard.Language()), used));
  cmdGuess->setObjectName(QStringLiteral("cmdGuess"));
  lblTotale = new QLabel;
  lblTotale->setObjectName(QStringLiteral("lblTotale"));
  lblTotale->setWordWrap(true);
  fraFixText = new QGroupBox(text(52));
  fraFixText->setObjectName(QStringLiteral("fraFixText"));
  auto* tools = new QVBoxLayout;
  tools->addWidget(cmdGuess);
  tools->addWidget(lblTotale);
  tools->addStretch();
  auto* editor = new QHBoxLayout(fraFixText);
  editor->addWidget(tdbFixText, 1);
  editor->addLayout(tools);

  cmdOK = new QPushButton(withMnemonic(text(51), used));
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdAnnulla = new QPushButton(kpxIcon("ICO_ESCI"), withMnemonic(text(37), used));
  cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdAnnulla);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTitolo);
  layout->addWidget(preview);
  layout->addWidget(fraFixText, 1);
  layout->addStretch();
  layout->addLayout(buttons);

  connect(HScroll1, &QScrollBar::valueChanged, this,
          [this](int value) { trapped("HScroll1_Change", [&] { HScroll1_Change(value); }); });
  connect(lblScala, &PreviewLine::boundaryClicked, this,
          [this](int position) { trapped("lblScala_Click", [&] { lblScala_Click(position); }); });
  connect(cmdGuess, &QPushButton::clicked, this,
          [this] { trapped("cmdGuess_Click", [this] { cmdGuess_Click(); }); });
  connect(tdbFixText, &QTableWidget::itemChanged, this,
          [this] { trapped("tdbFixText_Change", [this] { tdbFixText_Change(); }); });
  connect(cmdOK, &QPushButton::clicked, this,
          [this] { trapped("cmdOK_Click", [this] { cmdOK_Click(); }); });
  connect(cmdAnnulla, &QPushButton::clicked, this, &QDialog::reject);
}

void frmTesto::showEvent(QShowEvent* event) {
  if (!m_loaded) {
    m_loaded = true;
    trapped("Form_Load", [this] { Form_Load(); });
  }
  QDialog::showEvent(event);
  fitScrollBar();
}

void frmTesto::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  fitScrollBar();
}

QStringList frmTesto::previewRows() const {
  QStringList rows;
  for (const std::string& row : modMain::state().arrPreviewRows)
    rows << QString::fromStdString(row);
  return rows;
}

void frmTesto::Form_Load() {
  const QString file = QFileInfo(Database).fileName();
  lblTitolo->setText(file.isEmpty() ? text(50) : text(50) + QStringLiteral(" — ") + file);
  const QStringList rows = previewRows();
  m_longest = 0;
  for (int i = 0; i < rows.size(); ++i) {
    m_longest = std::max<int>(m_longest, static_cast<int>(previewCells(rows[i]).size()));
    lblTesto[static_cast<size_t>(i)]->setText(rows[i]);
  }
  lblScala->setText(rulerText(m_longest));
  lblDecine->setText(tensText(m_longest));
  m_offset = 1;
  m_previousPosition = 0;
  HScroll1->setRange(0, m_longest);

  const bool editor = FormTypePreview == 1;
  fraFixText->setVisible(editor);
  lblScala->setClickable(editor);
  cmdOK->setIcon(kpxIcon(editor ? "ICO_SALVA" : "ICO_SELEZIONA"));
  cmdOK->setDefault(!editor);
  if (!editor) {
    cmdOK->setFocus();
    // Without the grid the window keeps only the room the rows need.
    adjustSize();
    return;
  }
  std::vector<FieldRow> fields = OpenerFields;
  if (fields.empty() && SameFile) {
    const clsConnection& edited = Side == kpxSource ? *m_wizard.Source() : *m_wizard.Destination();
    fields = splitFields(edited.ColumnLengths(), edited.ColumnNames(), edited.NumberColumns());
  }
  fillGrid(fields);
  m_changed = false;
  lblScala->setFocus();
}

void frmTesto::fitScrollBar() {
  if (!m_loaded) return;
  // The longest row decides whether there is anything to scroll to; the thumb is as long as
  // the part of it in view.
  const int shown = std::max(1, lblScala->width() / lblScala->cellWidth());
  HScroll1->setPageStep(shown);
  HScroll1->setEnabled(m_longest > shown);
}

void frmTesto::HScroll1_Change(int value) {
  // Every change moves the view by one character, whichever way the bar went.
  m_offset += value > m_previousPosition ? 1 : -1;
  m_previousPosition = value;
  for (PreviewLine* line : lblTesto) line->setOffset(m_offset);
  lblScala->setOffset(m_offset);
  lblDecine->setOffset(m_offset);
}

std::vector<FieldRow> frmTesto::gridRows() const {
  std::vector<FieldRow> rows;
  for (int row = 0; row < tdbFixText->rowCount(); ++row)
    rows.push_back({cell(tdbFixText, row, kNameColumn), cell(tdbFixText, row, kLengthColumn)});
  // The last row stands ready for a new field and counts only once something is typed in it.
  if (!rows.empty() && rows.back().name.isEmpty() && rows.back().length.isEmpty()) rows.pop_back();
  return rows;
}

void frmTesto::fillGrid(const std::vector<FieldRow>& rows) {
  {
    const QSignalBlocker quiet(tdbFixText);
    tdbFixText->setRowCount(0);
    for (const FieldRow& field : rows) {
      const int row = tdbFixText->rowCount();
      tdbFixText->insertRow(row);
      tdbFixText->setItem(row, kNameColumn, new QTableWidgetItem(field.name));
      tdbFixText->setItem(row, kLengthColumn, new QTableWidgetItem(field.length));
    }
  }
  tdbFixText_Change();
}

void frmTesto::tdbFixText_Change() {
  m_changed = true;
  const std::vector<FieldRow> rows = gridRows();
  if (tdbFixText->rowCount() == static_cast<int>(rows.size())) {
    const QSignalBlocker quiet(tdbFixText);
    tdbFixText->insertRow(tdbFixText->rowCount());
  }
  const FixedWidthLayout layout = layoutOf(rows);
  const std::vector<int> boundaries = layout.boundaries();
  for (PreviewLine* line : lblTesto) line->setBoundaries(boundaries);
  lblScala->setBoundaries(boundaries);
  lblTotale->setText(totalLengthText(m_wizard.Language()).arg(layout.totalLength()).arg(m_longest));
}

void frmTesto::applyLayout(const FixedWidthLayout& layout) {
  std::vector<FieldRow> rows;
  for (const auto& field : layout.fields())
    rows.push_back({field.name, QString::number(field.length)});
  fillGrid(rows);
}

void frmTesto::lblScala_Click(int position) {
  FixedWidthLayout layout = layoutOf(gridRows());
  layout.toggleBoundary(position);
  applyLayout(layout);
}

void frmTesto::cmdGuess_Click() {
  FixedWidthLayout layout = layoutOf(gridRows());
  layout.guess(previewRows());
  applyLayout(layout);
}

void frmTesto::cmdOK_Click() {
  if (FormTypePreview != 1) {
    accept();
    return;
  }
  const std::vector<FieldRow> rows = gridRows();
  if (const int32_t problem = fieldListProblem(rows)) {
    const enKpxLanguage lang =
        m_wizard.Language() == kpxLanguageItalian ? kpxLanguageItalian : kpxLanguageEnglish;
    ShowMessage(GetResText(problem, lang), vbExclamation, m_wizard.AppName());
    return;
  }
  m_fields = joinFields(rows);
  accept();
}

bool frmTesto::eventFilter(QObject* watched, QEvent* event) {
  // While a cell is edited its keys go to the editor, not to the grid.
  if (watched == tdbFixText && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int row = tdbFixText->currentRow();
    // Ctrl+Delete drops the current field; the ready row for a new field stays.
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier && row >= 0 &&
        row < tdbFixText->rowCount() - 1) {
      tdbFixText->removeRow(row);
      tdbFixText_Change();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kpx::ui
