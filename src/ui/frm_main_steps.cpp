// The main window's steps: what selecting each one does, Next and Back, the connection and
// table buttons, and loading a configuration.
#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "data/mod_database.h"
#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "ui/frm_connection.h"
#include "ui/frm_main.h"
#include "ui/frm_tabelle.h"
#include "ui/icons.h"
#include "ui/mapping_grid.h"
#include "ui/texts.h"

namespace kpx::ui {
namespace {

// The selected step's caption colour.
const QColor kSelectedStepColour(192, 0, 0);

// Runs the busy cursor for one handler; the message box puts it back before it shows.
class BusyCursor {
 public:
  BusyCursor() { SetBusyCursor(); }
  ~BusyCursor() { SetDefaultCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void frmMain::setStepEnabled(int step, bool enabled) {
  ribSelection[step]->setEnabled(enabled);
}

void frmMain::setNextCaption(bool execute) {
  // Go and Execute take the first letter the buttons always on screen leave free ("Execute"
  // beside the "Execution" step button must not answer to the same Alt letter).
  QSet<QChar> used;
  const std::initializer_list<QAbstractButton*> onScreen = {
      cmdIndietro,     cmdEsci,         cmdLoadSave[1],  cmdLoadSave[2],
      ribSelection[0], ribSelection[1], ribSelection[2], ribSelection[3]};
  for (QAbstractButton* other : onScreen) {
    const qsizetype at = other->text().indexOf(QLatin1Char('&'));
    if (at >= 0 && at + 1 < other->text().size()) used.insert(other->text()[at + 1].toLower());
  }
  cmdAvanti->setText(withMnemonic(text(execute ? 21 : 18), used));
  cmdAvanti->setIcon(kpxIcon(execute ? "ICO_EXECUTE" : "ICO_AVANTI"));
}

void frmMain::selectStep(int step) {
  ribSelection[step]->setChecked(true);
  ribSelection_Click(step);
}

void frmMain::ribSelection_Click(int step) {
  m_step = step;
  for (int i = 0; i < 4; ++i) {
    QPalette palette = ribSelection[i]->palette();
    palette.setColor(
        QPalette::ButtonText,
        i == step ? kSelectedStepColour : QApplication::palette().color(QPalette::ButtonText));
    ribSelection[i]->setPalette(palette);
  }
  m_panels->setCurrentIndex(step);
  switch (step) {
    case StepSource:
      enterSource();
      break;
    case StepDestination:
      enterDestination();
      break;
    case StepMapping:
      enterMapping();
      break;
    default:
      enterExecution();
      break;
  }
}

void frmMain::offerChangedMapping() {
  if (!MappingVisited) return;
  if (WorkingTransformations &&
      CompareTransformations(*m_wizard.Transformations(), *WorkingTransformations) ==
          Comparison::Changed)
    ReplaceTransformation();
  MappingVisited = false;
}

void frmMain::enterSource() {
  const bool tables =
      !m_wizard.Source()->TableName().empty() && !m_wizard.Destination()->TableName().empty();
  if (!tables) {
    setStepEnabled(StepMapping, false);
    setStepEnabled(StepExecution, false);
  } else {
    setStepEnabled(StepMapping, true);
  }
  offerChangedMapping();
  cmdAvanti->setVisible(true);
  setNextCaption(false);
  cmdAvanti->setEnabled(true);
  cmdIndietro->setVisible(false);
}

void frmMain::enterDestination() {
  offerChangedMapping();
  cmdIndietro->setVisible(true);
  cmdAvanti->setVisible(true);
  setNextCaption(false);
  const bool tables =
      !m_wizard.Source()->TableName().empty() && !m_wizard.Destination()->TableName().empty();
  setStepEnabled(StepMapping, tables);
  cmdAvanti->setEnabled(tables);
  if (!tables) setStepEnabled(StepExecution, false);
}

void frmMain::enterMapping() {
  BusyCursor busy;
  MappingVisited = true;
  const clsConnection& source = *m_wizard.Source();
  const clsConnection& destination = *m_wizard.Destination();
  if (destination.TableName().empty() || source.TableName().empty()) {
    showMessage(507, vbInformation);
    return;
  }
  const bool newTable =
      destination.CreatedDestinationTable() || mainWindowState().NewTableRequested;
  CreateTable =
      newTable && destination.ConType() != CONN_TEXTFILE && !DestinationTableExists ? 1 : 2;
  WorkingTransformations = m_wizard.Transformations()->Clone();
  WorkingTransformations->setName("InsiemeTrasformazioni");
  if (!LoadGridMapping(*m_wizard.Source(), *m_wizard.Destination())) {
    cmdAvanti->setEnabled(false);
    return;
  }
  cmdIndietro->setVisible(true);
  cmdAvanti->setVisible(true);
  setNextCaption(false);
  cmdAvanti->setEnabled(true);
  setStepEnabled(StepMapping, true);
  setStepEnabled(StepExecution, true);
}

void frmMain::enterExecution() {
  if (MappingVisited) {
    MappingVisited = false;
    const Comparison result =
        WorkingTransformations
            ? CompareTransformations(*m_wizard.Transformations(), *WorkingTransformations)
            : Comparison::Unchanged;
    if (result == Comparison::Invalid) {
      lblTable[2]->clear();
      selectStep(StepDestination);
      return;
    }
    if (result == Comparison::Changed) {
      m_wizard.setTransformations(WorkingTransformations);
      if (WorkingTransformations->Count() > 0) setStepEnabled(StepExecution, true);
    }
    WorkingTransformations.reset();
  }
  const clsConnection& source = *m_wizard.Source();
  const clsConnection& destination = *m_wizard.Destination();
  lblRConnection[1]->setText(QString::fromStdString(NameDatabase(source.Database())));
  lblRConnection[2]->setText(QString::fromStdString(NameDatabase(destination.Database())));
  lblRTable[1]->setText(source.ConType() == CONN_TEXTFILE
                            ? lblRConnection[1]->text()
                            : QString::fromStdString(source.TableName()));
  lblRTable[2]->setText(destination.ConType() == CONN_TEXTFILE
                            ? lblRConnection[2]->text()
                            : QString::fromStdString(destination.TableName()));
  for (QLabel* label : {lblRConnection[1], lblRConnection[2], lblRTable[1], lblRTable[2]})
    label->setToolTip(label->text());
  cmdIndietro->setVisible(true);
  cmdAvanti->setVisible(true);
  cmdAvanti->setEnabled(true);
  setNextCaption(true);
  ProgressBar1->setValue(0);
  lstSteps->clear();
  lstSteps->repaint();
}

void frmMain::cmdAvanti_Click() {
  BusyCursor busy;
  if (m_step < StepExecution) {
    selectStep(m_step + 1);
    return;
  }
  if (m_wizard.Transformations()->Count() == 0) {
    showMessage(505, vbInformation);
    return;
  }
  RunExecution();
  if (m_wizard.AutoCloseWizard()) {
    m_closeApproved = true;
    close();
  }
}

void frmMain::cmdIndietro_Click() {
  BusyCursor busy;
  if (m_step > StepSource) selectStep(m_step - 1);
}

void frmMain::cmdInsertConn_Click(int side) {
  frmConnection dialog(m_wizard, side, this);
  m_runDialog(dialog);
  ConnectionUnchanged = dialog.ConnectionUnchanged();
  mainWindowState().ConnectionUnchanged = ConnectionUnchanged;
  if (dialog.TableButtonEnabled()) cmdInsertTable[side]->setEnabled(true);
  showConnectionDatas(side);
  clsConnection& connection = side == 1 ? *m_wizard.Source() : *m_wizard.Destination();
  if (side == 1 && connection.Database().empty()) return;
  const clsConnection& source = *m_wizard.Source();
  const clsConnection& destination = *m_wizard.Destination();
  if (source.ConType() == CONN_TEXTFILE && destination.ConType() == CONN_TEXTFILE &&
      source.Name() == destination.Name()) {
    lblTable[side]->clear();
    m_wizard.Transformations()->Reset();
    return;
  }
  if (ConnectionUnchanged) return;
  m_wizard.Transformations()->Reset();
  setStepEnabled(StepExecution, false);
  setStepEnabled(StepMapping, false);
  if (side == 2) cmdAvanti->setEnabled(false);
  if (connection.ConType() == CONN_TEXTFILE) {
    if (side == 1) {
      if (!modDatabase::OpenDatabase(connection)) {
        modDatabase::ClearColumns(connection);
        connection.setTableName("");
        connection.setTableType(kpxTypeTable);
        showTableLabel(side);
        return;
      }
      connection.setTableName(connection.Database());
    } else {
      mainWindowState().NewTableRequested = false;
      connection.setTableName(connection.Name());
    }
    connection.setTableType(kpxTypeTable);
    showTableLabel(side);
    cmdInsertTable[side]->hide();
  } else {
    connection.setTableName("");
    connection.setTableType(-1);
    cmdInsertTable[side]->show();
    lblTable[side]->clear();
  }
  cmdInsertTable_Click(side);
}

void frmMain::cmdInsertTable_Click(int side) {
  clsConnection& connection = side == 1 ? *m_wizard.Source() : *m_wizard.Destination();
  if (side == 2) DestinationPicked = true;
  if (connection.ConType() == CONN_TEXTFILE) {
    if (side == 1) {
      if (!modDatabase::OpenDatabase(connection)) return;
      connection.setTableName(connection.Name());
      connection.setTableType(kpxTypeTable);
    } else {
      connection.setTableName(connection.Name());
    }
  } else {
    if (!modDatabase::OpenDatabase(connection)) return;
    if (side == 1 && !modDatabase::HasTables()) {
      showMessage(506, vbExclamation);
      return;
    }
    frmTabelle picker(m_wizard, side, this);
    m_runDialog(picker);
    PickerCancelled = picker.Cancelled();
    if (picker.Picked()) {
      (side == 1 ? SourcePicked : DestinationPicked) = true;
      (side == 1 ? SourceUnchanged : DestinationUnchanged) = !picker.NameChanged();
    }
    if (side == 2) DestinationTableExists = mainWindowState().DestinationTableExists;
  }
  showTableLabel(side);
  const bool tables =
      !m_wizard.Source()->TableName().empty() && !m_wizard.Destination()->TableName().empty();
  if (tables) {
    setStepEnabled(StepMapping, true);
    if (side == 2) cmdAvanti->setEnabled(true);
    if (!PickerCancelled) {
      const bool keep =
          (SourcePicked && DestinationPicked && SourceUnchanged && DestinationUnchanged) ||
          (SourcePicked && SourceUnchanged && !DestinationPicked) ||
          (DestinationPicked && DestinationUnchanged && !SourcePicked);
      if (!keep) {
        m_wizard.Transformations()->Reset();
        setStepEnabled(StepExecution, false);
      }
    }
  } else if (side == 2) {
    cmdAvanti->setEnabled(false);
  }
  PickerCancelled = false;
}

void frmMain::optHowModifyTable_Click(int option) {
  m_wizard.setReplaceDestinationRows(option == 0);
  tdbMain->viewport()->update();
}

void frmMain::loadConfiguration(const QString& path) {
  const QFileInfo file(path);
  if (path.isEmpty() || !file.isFile() || !file.isReadable()) return;
  BusyCursor busy;
  if (!m_wizard.LoadFromINIFile(path.toStdString())) return;
  SetCaptions();
  ShowSourceConnectionDatas();
  ShowDestinationConnectionDatas();
  const clsConnection& source = *m_wizard.Source();
  const clsConnection& destination = *m_wizard.Destination();
  ShowTableButtons(source.ConType(), destination.ConType());
  ApplyLocks(m_wizard.LockSource(), m_wizard.LockDestination());
  const bool sourceDb = !source.Database().empty(), sourceTable = !source.TableName().empty();
  const bool destDb = !destination.Database().empty(), destTable = !destination.TableName().empty();
  const bool all = sourceDb && sourceTable && destDb && destTable;
  if (all) {
    buildColumns();
    if (m_step == StepMapping)
      RefreshPanelMapping();
    else
      selectStep(StepMapping);
    cmdAvanti->setEnabled(true);
  } else if (!sourceDb && destDb) {
    MappingVisited = false;
    selectStep(StepDestination);
  } else if (sourceDb && !destDb) {
    MappingVisited = false;
    selectStep(StepSource);
  } else if ((!sourceDb && !destDb) || (sourceDb && sourceTable && destDb && !destTable)) {
    selectStep(StepSource);
    setStepEnabled(StepExecution, false);
    setStepEnabled(StepMapping, false);
    cmdAvanti->setEnabled(false);
  }
  if (all && m_wizard.Transformations()->Count() > 0) {
    setStepEnabled(StepExecution, true);
    cmdAvanti->setEnabled(true);
    if (m_step != StepMapping)
      selectStep(StepMapping);
    else
      RefreshPanelMapping();
  }
}

}  // namespace kpx::ui
