// The wizard's main window: four steps (Source, Destination, Mapping, Execution) over the one
// wizard object the host configured. It keeps no connection data of its own; it reads and
// writes the wizard's connections, transformations and flags, and runs its Execute.
#pragma once
#include <QDialog>
#include <QIcon>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "data/mod_database.h"
#include "kpxwizard/wizard.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kpx::ui {

class MappingGridModel;
class MappingGridView;
class MappingRows;

class frmMain : public QDialog {
  Q_OBJECT

 public:
  enum Step { StepSource = 0, StepDestination = 1, StepMapping = 2, StepExecution = 3 };

  // Builds the window on `wizard` and runs the opening rules (the step it opens on follows
  // from the connections and flags the wizard holds).
  explicit frmMain(cKPXWizard& wizard, QWidget* parent = nullptr);
  ~frmMain() override;

  // The state the connection dialog, the table picker and the mapping grid exchange with this
  // window; each is described where it is set.
  // 0 until the Mapping step is entered; then 1 when the grid defines a table to create, 2
  // when it maps onto the existing destination columns.
  int32_t CreateTable = 0;
  // The connection dialog closed without defining a new connection.
  bool ConnectionUnchanged = false;
  // A table or query was confirmed for that side.
  bool SourcePicked = false;
  bool DestinationPicked = false;
  // The confirmed name is the side's previous TableName.
  bool SourceUnchanged = false;
  bool DestinationUnchanged = false;
  // The new destination table's name already exists in the destination.
  bool DestinationTableExists = false;
  bool PickerCancelled = false;

  // Where the load and save buttons get a file name; the file dialog unless replaced.
  // `save` tells which button asks; an empty answer is a cancelled dialog.
  using FileChooser = std::function<QString(bool save)>;
  void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

  // How the connection dialog and the table picker are shown; modally unless replaced.
  using DialogRunner = std::function<void(QDialog& dialog)>;
  void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

  int selectedStep() const { return m_step; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class EventRelay;

  // Building the controls.
  void buildControls();
  QWidget* buildSummaryPanel(int side);
  QWidget* buildMappingPanel();
  QWidget* buildExecutionPanel();
  void applyTabOrder();

  // Window routines.
  void Form_Load();
  void SetCaptions();
  void ShowSourceConnectionDatas();
  void ShowDestinationConnectionDatas();
  void showConnectionDatas(int side);
  void ShowTableButtons(int32_t sourceKind, int32_t destinationKind);
  void ApplyLocks(bool lockSource, bool lockDestination);
  void SetImage(QLabel* image, int32_t kind);
  static std::string NameDatabase(const std::string& path);
  void showTableLabel(int side);
  // Both summaries, table buttons and locks, on opening with both connections defined;
  // `prepareNewTable` describes a new destination table the connection asks for.
  void showBothConnections(bool prepareNewTable);

  // Step rules.
  void selectStep(int step);
  void ribSelection_Click(int step);
  void enterSource();
  void enterDestination();
  void enterMapping();
  void enterExecution();
  void cmdAvanti_Click();
  void cmdIndietro_Click();
  void setNextCaption(bool execute);
  void setStepEnabled(int step, bool enabled);

  // Connection and table buttons.
  void cmdInsertConn_Click(int side);
  void cmdInsertTable_Click(int side);
  void optHowModifyTable_Click(int option);
  void cmdLoadSave_Click(int index);
  void loadConfiguration(const QString& path);

  // Execution and its progress.
  void RunExecution();
  void OnStart();
  void OnProgress(const std::string& description, int32_t countLow);
  void OnFinish();
  void ShowErrorInListView();
  void ShowStepsProcess(const QString& description, bool completed);

  // The mapping grid.
  enum class Comparison { Changed, Unchanged, Invalid };
  // Fills the grid for the two connections; false when one could not be opened or read.
  bool LoadGridMapping(clsConnection& source, clsConnection& destination);
  void FillGridFromTrasformations(MappingRows& rows, const clsTransformations& set);
  // 1 with the new table's structure in `structure`, else why there is none.
  int16_t FillArrayDestinationFromTrueDbGrid(modDatabase::StructureArray& structure);
  void SetTransformationsCopy(clsTransformations& target);
  // Applies the grid: creates the new table or deletes the existing rows where asked, and
  // fills the working set; false (after saying why) when the grid cannot be applied.
  bool InsertTransformationsFromGrid();
  Comparison CompareTransformations(const clsTransformations& current,
                                    const clsTransformations& working);
  // Asks whether the changed mapping is kept and installs it if so; the working set goes.
  void ReplaceTransformation();
  void RefreshPanelMapping();
  // Leaving the Mapping step for Source or Destination: a changed mapping is offered.
  void offerChangedMapping();

  // The few calls into the modules beneath the wizard object, each made in one place.
  void processCreate();
  int16_t buildColumns();

  bool confirmClose();
  int32_t showMessage(int32_t n, int32_t style);
  QString text(int32_t n) const;
  // Runs `handler`; an unexpected error is shown through the standard error report.
  void trapped(const char* procedure, const std::function<void()>& handler);

  cKPXWizard& m_wizard;
  FileChooser m_chooseFile;
  DialogRunner m_runDialog;
  int m_step = StepSource;
  bool m_closeApproved = false;
  // The working copy of the transformations while the Mapping step is shown.
  std::shared_ptr<clsTransformations> WorkingTransformations;
  bool MappingVisited = false;

  std::array<QToolButton*, 4> ribSelection{};
  QButtonGroup* m_stepGroup = nullptr;
  QStackedWidget* m_panels = nullptr;
  std::array<QWidget*, 4> pnlControl{};
  std::array<QPushButton*, 3> cmdLoadSave{};  // 1 load, 2 save
  QPushButton* cmdIndietro = nullptr;
  QPushButton* cmdAvanti = nullptr;
  QPushButton* cmdEsci = nullptr;
  std::array<QPushButton*, 3> cmdInsertConn{};   // 1 source, 2 destination
  std::array<QPushButton*, 3> cmdInsertTable{};  // 1 source, 2 destination
  std::array<QGroupBox*, 3> fraConnection{};
  // Per side (1, 2): the summary captions and values.
  std::array<std::array<QLabel*, 6>, 3> m_summaryCaptions{};
  std::array<QLabel*, 3> lblConnection{};
  std::array<QLabel*, 3> lblDatabase{};
  std::array<QLabel*, 3> lblServer{};
  std::array<QLabel*, 3> lblUser{};
  std::array<QLineEdit*, 3> lblPassword{};
  std::array<QLabel*, 3> lblTable{};
  std::array<QLabel*, 3> imgIcon{};
  QLabel* lblTabella = nullptr;
  QLabel* lblTabella2 = nullptr;
  QGroupBox* fraOption = nullptr;
  std::array<QRadioButton*, 2> optHowModifyTable{};
  MappingGridView* tdbMain = nullptr;
  MappingGridModel* m_mappingModel = nullptr;
  std::array<QGroupBox*, 3> Frame{};
  std::array<QLabel*, 3> m_runConnectionCaption{};
  std::array<QLabel*, 3> m_runTableCaption{};
  std::array<QLabel*, 3> lblRConnection{};
  std::array<QLabel*, 3> lblRTable{};
  QGroupBox* fraSteps = nullptr;
  QTreeWidget* lstSteps = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* lblRowCount = nullptr;
};

}  // namespace kpx::ui
