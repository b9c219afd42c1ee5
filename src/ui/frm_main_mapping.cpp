// The Mapping step's grid: filling it from the connections and the wizard's transformations,
// applying it (a transformation set, the new table created, the existing rows deleted) and
// asking whether a changed mapping is kept. The calls into the schema reader, the table
// creator and the package builder are made here and nowhere else in the window.
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "data/mod_database.h"
#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "package/cls_task.h"
#include "package/destination_rows.h"
#include "ui/frm_main.h"
#include "ui/mapping_grid.h"

namespace kpx::ui {

namespace {

bool isExcel(int32_t kind) {
  return kind == CONN_EXCEL || kind == CONN_EXCEL3 || kind == CONN_EXCEL4 || kind == CONN_EXCEL5;
}

// Reads a connection's columns afresh (opening a text file reads them); false when it cannot
// be opened or read.
bool readColumns(clsConnection& connection) {
  modDatabase::ClearColumns(connection);
  if (!modDatabase::OpenDatabase(connection)) return false;
  return connection.ConType() == CONN_TEXTFILE || modDatabase::CreateSetColumn(connection);
}

std::vector<std::string> columnNames(const clsConnection& connection) {
  std::vector<std::string> names;
  for (const auto& column : *connection.Columns()) names.push_back(column->Name());
  return names;
}

// A task builder holding the two package connections and no data-pump task, for one of the
// statements the grid runs at once.
std::unique_ptr<clsTask> statementTask(const clsConnection& source,
                                       const clsConnection& destination) {
  auto task = std::make_unique<clsTask>();
  task->RemoveConnections();
  task->CreateDTSConnection(source);
  task->CreateDTSConnection(destination);
  task->RemoveTaskTrasformation();
  task->RemoveStepTrasformation();
  return task;
}

}  // namespace

bool frmMain::LoadGridMapping(clsConnection& source, clsConnection& destination) {
  bool loaded = false;
  trapped("LoadGridMapping", [&] {
    lblTabella->setText(text(1) + QStringLiteral(": ") +
                        QString::fromStdString(source.TableName()));
    lblTabella2->setText(text(2) + QStringLiteral(": ") +
                         QString::fromStdString(destination.TableName()));
    const int32_t kind = destination.ConType();
    if (!readColumns(source)) return;
    modDatabase::StructureArray structure;
    if (CreateTable == 2) {
      // Appending or replacing matters only for rows of a table that exists already.
      fraOption->setVisible(kind != CONN_TEXTFILE && !isExcel(kind));
      optHowModifyTable[m_wizard.ReplaceDestinationRows() ? 0 : 1]->setChecked(true);
      if (kind != CONN_TEXTFILE) {
        if (!readColumns(destination)) return;
      } else if (destination.Columns()->Count() == 0 &&
                 m_wizard.BuildColumns(m_wizard.Source(), m_wizard.Destination(), true) != 1) {
        // A text destination has no columns until the column builder describes it, as
        // loading a configuration does; walking here with Next must do the same.
        return;
      }
    } else {
      fraOption->setVisible(false);
      if (kind == CONN_TEXTFILE) {
        structure = modDatabase::GenerateStructureArrayTextFile(source);
      } else {
        modDatabase::GenerateStructureArray(destination);
        structure = modDatabase::state().arrDestinationStructure;
      }
    }
    const std::vector<std::string> sourceNames = columnNames(source);
    m_mappingModel->change([&](MappingRows& rows) {
      rows.setCreateTable(CreateTable);
      rows.setDestinationKind(kind);
      rows.setSourceColumns(sourceNames);
      if (CreateTable == 2) {
        rows.fillDestination(destination);
        if (m_wizard.Transformations()->Count() > 0)
          FillGridFromTrasformations(rows, *m_wizard.Transformations());
        else
          rows.pairByName();
      } else {
        rows.fillDestination(structure);
        // Each new column is described from the source column of its position.
        for (int r = 0; r < rows.rowCount() && r < static_cast<int>(sourceNames.size()); ++r)
          rows.setCell(r, MapSource, sourceNames[r]);
      }
    });
    tdbMain->fitColumns();
    loaded = true;
  });
  return loaded;
}

void frmMain::FillGridFromTrasformations(MappingRows& rows, const clsTransformations& set) {
  trapped("FillGridFromTrasformations", [&] { rows.fillFromTransformations(set); });
}

int16_t frmMain::FillArrayDestinationFromTrueDbGrid(modDatabase::StructureArray& structure) {
  int16_t code = 0;
  trapped("FillArrayDestinationFromTrueDbGrid",
          [&] { code = m_mappingModel->rows().fillStructure(structure); });
  return code;
}

void frmMain::SetTransformationsCopy(clsTransformations& target) {
  trapped("SetTransformationsCopy", [&] {
    clsConnection& destination = *m_wizard.Destination();
    std::string names, sizes;
    m_mappingModel->rows().copyTransformations(target, *m_wizard.Source(), destination, names,
                                               sizes);
    if (destination.ConType() == CONN_TEXTFILE && m_mappingModel->rows().rowCount() > 0) {
      destination.setNumberColumns(target.Count());
      destination.setColumnNames(names);
      destination.setColumnLengths(sizes);
    }
  });
}

bool frmMain::InsertTransformationsFromGrid() {
  bool applied = false;
  trapped("InsertTransformationsFromGrid", [&] {
    tdbMain->commitPendingEdit();
    clsConnection& source = *m_wizard.Source();
    clsConnection& destination = *m_wizard.Destination();
    modDatabase::StructureArray structure;
    if (CreateTable != 2) {
      const int16_t code = FillArrayDestinationFromTrueDbGrid(structure);
      if (code == -4 || code == -2) {
        showMessage(code == -4 ? 511 : 512, vbExclamation);
        return;
      }
      if (code != 1) {
        applied = true;
        return;
      }
      const std::string sql = modDatabase::GenerateScriptCreate(structure);
      modDatabase::OpenDatabase(destination);
      auto task = statementTask(source, destination);
      task->CreateTableCreationTask(sql);
      if (!structure.empty() && !readColumns(destination)) return;
      mainWindowState().NewTableRequested = false;
      CreateTable = 2;
      destination.setCreatedDestinationTable(false);
      if (destination.TableName().empty()) destination.setTableName(source.TableName());
      m_mappingModel->change([](MappingRows& rows) { rows.setCreateTable(2); });
    } else {
      if (destination.ConType() == CONN_TEXTFILE) {
        const int16_t code = FillArrayDestinationFromTrueDbGrid(structure);
        if (code == -6) return;
        if (code != 1) {
          showMessage(code == -4 ? 511 : code == -3 ? 513 : 512, vbExclamation);
          return;
        }
        if (modDatabase::FillTextDestinationColumns(structure, destination) == 2) {
          showMessage(531, vbExclamation);
          return;
        }
      }
      if (optHowModifyTable[0]->isChecked() && !fraOption->isHidden() &&
          !DeleteDestinationRows(m_wizard))
        return;
    }
    SetTransformationsCopy(*WorkingTransformations);
    applied = true;
  });
  return applied;
}

frmMain::Comparison frmMain::CompareTransformations(const clsTransformations& current,
                                                    const clsTransformations& working) {
  if (!InsertTransformationsFromGrid()) return Comparison::Invalid;
  if (current.Count() != working.Count()) return Comparison::Changed;
  const bool textFile = m_wizard.Destination()->ConType() == CONN_TEXTFILE;
  for (int32_t i = 1; i <= current.Count(); ++i) {
    const clsTransformation& a = *current.Item(i);
    const clsTransformation& b = *working.Item(i);
    if (textFile) {
      if (a.DestinationFields()->Count() != b.DestinationFields()->Count())
        return Comparison::Changed;
      for (int32_t f = 1; f <= a.DestinationFields()->Count(); ++f)
        if (a.DestinationFields()->Item(f)->Name() != b.DestinationFields()->Item(f)->Name())
          return Comparison::Changed;
    }
    if (a.Name() != b.Name() || a.ConstantValue() != b.ConstantValue()) return Comparison::Changed;
  }
  return Comparison::Unchanged;
}

void frmMain::ReplaceTransformation() {
  trapped("ReplaceTransformation", [&] {
    if (showMessage(532, vbQuestionYesNo) == vbYes && WorkingTransformations) {
      m_wizard.setTransformations(WorkingTransformations);
      if (WorkingTransformations->Count() > 0) setStepEnabled(StepExecution, true);
    }
  });
  WorkingTransformations.reset();
}

void frmMain::RefreshPanelMapping() {
  trapped("RefreshPanelMapping", [&] {
    WorkingTransformations = m_wizard.Transformations()->Clone();
    WorkingTransformations->setName("InsiemeTrasformazioni");
    LoadGridMapping(*m_wizard.Source(), *m_wizard.Destination());
  });
}

}  // namespace kpx::ui
