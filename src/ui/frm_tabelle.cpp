#include "ui/frm_tabelle.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "ui/icons.h"
#include "ui/texts.h"
#include "ui/trapped_handler.h"

namespace kpx::ui {
namespace {

// Fills a list widget from the schema reader.
class ListAdapter : public modDatabase::ListControl {
 public:
  explicit ListAdapter(QListWidget* list) : m_list(list) {}
  void AddItem(const std::string& item) override { m_list->addItem(QString::fromStdString(item)); }

 private:
  QListWidget* m_list;
};

class BusyCursor {
 public:
  BusyCursor() { SetBusyCursor(); }
  ~BusyCursor() { SetDefaultCursor(); }
};

}  // namespace

frmTabelle::frmTabelle(cKPXWizard& wizard, int32_t connection, QWidget* parent)
    : QDialog(parent),
      m_wizard(wizard),
      m_connection(connection),
      m_edited(connection == kpxSource ? *wizard.Source() : *wizard.Destination()) {
  setObjectName(QStringLiteral("frmTabelle"));
  setWindowTitle(QString::fromStdString(m_wizard.AppName()));
  setWindowIcon(kpxIcon("ICO_MAIN"));
  QSet<QChar> used;
  label1 = new QLabel(text(m_connection == kpxSource ? 47 : 48));
  label1->setObjectName(QStringLiteral("label1"));
  QFont heading = label1->font();
  heading.setBold(true);
  label1->setFont(heading);
  auto* modes = new QButtonGroup(this);
  auto* modeRow = new QHBoxLayout;
  for (int i : {0, 1}) {
    ribSelection[i] = new QToolButton;
    ribSelection[i]->setObjectName(QStringLiteral("ribSelection%1").arg(i));
    ribSelection[i]->setText(withMnemonic(text(i == 0 ? 16 : 32), used));
    ribSelection[i]->setIcon(kpxIcon(i == 0 ? "ICO_TABLE" : "ICO_QUERY"));
    ribSelection[i]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ribSelection[i]->setCheckable(true);
    modes->addButton(ribSelection[i], i);
    modeRow->addWidget(ribSelection[i]);
  }
  modeRow->addStretch();
  List1 = new QListWidget;
  List1->setObjectName(QStringLiteral("List1"));
  txtScript = new QPlainTextEdit;
  txtScript->setObjectName(QStringLiteral("txtScript"));
  txtScript->setTabChangesFocus(true);
  cmdSeleziona = new QPushButton(kpxIcon("ICO_SELEZIONA"), withMnemonic(text(49), used));
  cmdSeleziona->setObjectName(QStringLiteral("cmdSeleziona"));
  cmdSeleziona->setDefault(true);
  cmdAnnulla = new QPushButton(kpxIcon("ICO_ESCI"), withMnemonic(text(37), used));
  cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdSeleziona);
  buttons->addWidget(cmdAnnulla);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addLayout(modeRow);
  layout->addWidget(List1, 1);
  layout->addWidget(txtScript, 1);
  layout->addLayout(buttons);

  connect(modes, &QButtonGroup::idClicked, this, [this](int mode) {
    trapped("ribSelection_Click", [this, mode] { ribSelection_Click(mode); });
  });
  connect(List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (!item->text().isEmpty()) cmdSeleziona->click();
  });
  connect(cmdSeleziona, &QPushButton::clicked, this,
          [this] { trapped("cmdSeleziona_Click", [this] { cmdSeleziona_Click(); }); });
  connect(cmdAnnulla, &QPushButton::clicked, this, [this] { cmdAnnulla_Click(); });

  trapped("Form_Load", [this] {
    ribSelection[0]->setChecked(true);
    if (m_connection == kpxSource) {
      ribSelection_Click(0);
    } else {
      for (QToolButton* mode : ribSelection) mode->hide();
      const clsConnection& source = *m_wizard.Source();
      m_sourceTable = source.TableType() == kpxTypeQuery
                          ? modMain::ExtractTableName(source.TableName())
                          : source.TableName();
      ribSelection_Click(0);
    }
    if (m_edited.TableName().empty()) return;
    if (m_edited.TableType() != kpxTypeQuery) {
      const auto found = List1->findItems(QString::fromStdString(m_edited.TableName()),
                                          Qt::MatchExactly | Qt::MatchCaseSensitive);
      if (!found.isEmpty()) List1->setCurrentItem(found.first());
    } else {
      ribSelection[1]->setChecked(true);
      ribSelection_Click(1);
    }
  });
}

QString frmTabelle::text(int32_t n) const {
  return uiText(n, m_wizard.Language());
}

int32_t frmTabelle::showMessage(int32_t n, int32_t style) {
  const enKpxLanguage lang =
      m_wizard.Language() == kpxLanguageItalian ? kpxLanguageItalian : kpxLanguageEnglish;
  return ShowMessage(GetResText(n, lang), style, m_wizard.AppName());
}

void frmTabelle::trapped(const char* procedure, const std::function<void()>& handler) {
  runTrapped("frmTabelle", procedure, handler);
}

void frmTabelle::ribSelection_Click(int mode) {
  for (int i : {0, 1}) {
    QPalette palette = ribSelection[i]->palette();
    palette.setColor(
        QPalette::ButtonText,
        i == mode ? QColor(192, 0, 0) : QApplication::palette().color(QPalette::ButtonText));
    ribSelection[i]->setPalette(palette);
  }
  if (mode == 0) {
    subTable();
    return;
  }
  List1->hide();
  txtScript->show();
  if (m_edited.TableType() == kpxTypeQuery && !m_edited.TableName().empty())
    txtScript->setPlainText(QString::fromStdString(m_edited.TableName()));
  else
    txtScript->setFocus();
}

void frmTabelle::subTable() {
  txtScript->hide();
  List1->show();
  List1->clear();
  if (m_connection == kpxDestination && !m_wizard.Source()->Database().empty())
    List1->addItem(text(68));
  ListAdapter adapter(List1);
  modDatabase::ShowTables(adapter);
  if (List1->count() > 0) List1->setCurrentRow(0);
  cmdSeleziona->setEnabled(List1->count() > 0);
  // The arrow keys choose among the tables as soon as the picker opens.
  List1->setFocus();
}

void frmTabelle::cmdSeleziona_Click() {
  if (m_connection == kpxDestination) {
    if (!List1->currentItem()) return;
    BusyCursor busy;
    selectDestination();
  } else if (ribSelection[0]->isChecked()) {
    if (List1->count() == 0) {
      showMessage(508, vbExclamation);
      return;
    }
    BusyCursor busy;
    selectSourceTable();
  } else {
    selectQuery();
  }
}

void frmTabelle::selectDestination() {
  const std::string previous = m_edited.TableName();
  std::string name = List1->currentItem()->text().toStdString();
  if (List1->currentItem()->text() == text(68) && List1->currentRow() == 0) {
    m_edited.setCreatedDestinationTable(true);
    List1->hide();
    if (m_sourceTable.empty()) {
      showMessage(518, vbExclamation);
      List1->show();
      return;
    }
    if (!modMain::ProcessCreate(*m_wizard.Source(), m_edited)) {
      m_edited.setCreatedDestinationTable(false);
      bDialogDone = true;
      close();
      return;
    }
    name = m_edited.TableName();
  }
  const bool changed = name != previous;
  if (changed) {
    m_edited.setTableName(name);
    m_edited.setTableType(kpxTypeTable);
  }
  accept(changed);
}

void frmTabelle::selectSourceTable() {
  m_edited.setTableType(kpxTypeTable);
  const std::string name =
      List1->currentItem() ? List1->currentItem()->text().toStdString() : std::string();
  const bool changed = name != m_edited.TableName();
  if (changed) m_edited.setTableName(name);
  accept(changed);
}

void frmTabelle::selectQuery() {
  const std::string query = txtScript->toPlainText().toStdString();
  if (query.empty()) {
    showMessage(515, vbInformation);
    return;
  }
  // The query already read: nothing to check or change.
  if (query == m_edited.TableName()) {
    update();
    return;
  }
  BusyCursor busy;
  const std::string table = modMain::ExtractNameFields(query);
  if (table.empty()) return refuseQuery(517);
  if (!modDatabase::TableExists(table)) return refuseQuery(502);
  for (const std::string& field : modMain::state().colSelectedFields)
    if (field != "*" && !modDatabase::ColumnExists(field, table)) return refuseQuery(516);
  if (table.find('$') != std::string::npos || modMain::state().bQueryHasClauses) {
    modMain::BuildQuerySpace(query, table, m_wizard.Source()->ConType());
    modMain::state().bQueryHasClauses = true;
  }
  m_edited.setTableName(query);
  m_edited.setTableType(kpxTypeQuery);
  accept(true);
}

void frmTabelle::refuseQuery(int32_t message) {
  showMessage(message, vbExclamation);
  txtScript->selectAll();
  txtScript->setFocus();
}

void frmTabelle::accept(bool changed) {
  m_picked = true;
  m_changed = changed;
  bDialogDone = true;
  if (parentWidget()) parentWidget()->update();
  QDialog::accept();
}

void frmTabelle::cmdAnnulla_Click() {
  bDialogDone = true;
  m_cancelled = true;
  QDialog::reject();
}

void frmTabelle::reject() {
  cmdAnnulla_Click();
}

void frmTabelle::closeEvent(QCloseEvent* event) {
  if (!bDialogDone) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace kpx::ui
