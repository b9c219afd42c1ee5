#include "ui/frm_main.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "data/mod_main.h"
#include "data/providers/sqlserver/server_list.h"
#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "ui/icons.h"
#include "ui/mapping_grid.h"
#include "ui/texts.h"
#include "ui/trapped_handler.h"

namespace kpx::ui {
namespace {

// The window's size in the original's units (twips), shown at 96 dots per inch.
constexpr int kWidthTwips = 9195;
constexpr int kHeightTwips = 7000;
constexpr int twipsToPixels(int twips) {
  return (twips * 96 + 720) / 1440;
}

// Kind pictures come in 32 px; the step buttons' theme icons are drawn at 24 px and would
// come out at mixed sizes above that.
constexpr int kIconSize = 32;
constexpr int kStepIconSize = 24;

QLabel* valueLabel(const char* name) {
  auto* label = new QLabel;
  label->setObjectName(QString::fromLatin1(name));
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long path must not widen the window; the whole value stays in the tooltip.
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setMinimumWidth(120);
  return label;
}

void setValue(QLabel* label, const std::string& value) {
  label->setText(QString::fromStdString(value));
  label->setToolTip(label->text());
}

QPushButton* commandButton(const QString& name) {
  auto* button = new QPushButton;
  button->setObjectName(name);
  button->setAutoDefault(false);
  button->setIconSize(QSize(24, 24));
  return button;
}

}  // namespace

frmMain::frmMain(cKPXWizard& wizard, QWidget* parent) : QDialog(parent), m_wizard(wizard) {
  setObjectName(QStringLiteral("frmMain"));
  resetMainWindowMembers();
  m_runDialog = [](QDialog& dialog) { dialog.exec(); };
  m_chooseFile = [this](bool save) {
    const QString filter = QStringLiteral("File INI (*.INI *.ini)");
    return save ? QFileDialog::getSaveFileName(this, QString(), QStringLiteral("*.INI"), filter)
                : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
  };
  buildControls();
  trapped("Form_Load", [this] { Form_Load(); });
}

frmMain::~frmMain() = default;

void frmMain::buildControls() {
  setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* root = new QVBoxLayout(this);

  auto* pnlToolbar = new QFrame;
  pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
  pnlToolbar->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  auto* toolbar = new QHBoxLayout(pnlToolbar);
  toolbar->setContentsMargins(4, 4, 4, 4);
  for (int i : {1, 2}) {
    cmdLoadSave[i] = commandButton(QStringLiteral("cmdLoadSave%1").arg(i));
    cmdLoadSave[i]->setFlat(true);
    toolbar->addWidget(cmdLoadSave[i]);
    connect(cmdLoadSave[i], &QPushButton::clicked, this,
            [this, i] { trapped("cmdLoadSave_Click", [this, i] { cmdLoadSave_Click(i); }); });
  }
  toolbar->addStretch();
  root->addWidget(pnlToolbar);

  auto* middle = new QHBoxLayout;
  auto* steps = new QVBoxLayout;
  m_stepGroup = new QButtonGroup(this);
  m_stepGroup->setExclusive(true);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("ribSelection%1").arg(i));
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(kStepIconSize, kStepIconSize));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumHeight(64);
    m_stepGroup->addButton(button, i);
    steps->addWidget(button);
    ribSelection[i] = button;
    connect(button, &QToolButton::clicked, this, [this, i](bool checked) {
      if (checked) trapped("ribSelection_Click", [this, i] { ribSelection_Click(i); });
    });
  }
  steps->addStretch();
  middle->addLayout(steps);

  m_panels = new QStackedWidget;
  for (int side : {1, 2}) pnlControl[side - 1] = buildSummaryPanel(side);
  pnlControl[2] = buildMappingPanel();
  pnlControl[3] = buildExecutionPanel();
  for (int i = 0; i < 4; ++i) {
    pnlControl[i]->setObjectName(QStringLiteral("pnlControl%1").arg(i));
    m_panels->addWidget(pnlControl[i]);
  }
  middle->addWidget(m_panels, 1);
  root->addLayout(middle, 1);

  auto* bottom = new QHBoxLayout;
  cmdIndietro = commandButton(QStringLiteral("cmdIndietro"));
  cmdAvanti = commandButton(QStringLiteral("cmdAvanti"));
  cmdEsci = commandButton(QStringLiteral("cmdEsci"));
  // Enter always means Go, whichever control has the focus.
  cmdAvanti->setDefault(true);
  bottom->addStretch();
  bottom->addWidget(cmdIndietro);
  bottom->addWidget(cmdAvanti);
  bottom->addSpacing(16);
  bottom->addWidget(cmdEsci);
  root->addLayout(bottom);
  connect(cmdAvanti, &QPushButton::clicked, this,
          [this] { trapped("cmdAvanti_Click", [this] { cmdAvanti_Click(); }); });
  connect(cmdIndietro, &QPushButton::clicked, this,
          [this] { trapped("cmdIndietro_Click", [this] { cmdIndietro_Click(); }); });
  connect(cmdEsci, &QPushButton::clicked, this, &QWidget::close);

  applyTabOrder();
}

QWidget* frmMain::buildSummaryPanel(int side) {
  const bool source = side == 1;
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);

  fraConnection[side] = new QGroupBox;
  fraConnection[side]->setObjectName(QStringLiteral("fraConnection%1").arg(side));
  auto* grid = new QGridLayout(fraConnection[side]);
  // The captions' names as the window has always called them.
  const std::array<const char*, 6> captionNames =
      source
          ? std::array<const char*, 6>{"label4", "label1", "label5", "label2", "label3", "label17"}
          : std::array<const char*, 6>{"label9", "label6", "label10",
                                       "label7", "label8", "label19"};
  const QString n = QString::number(side);
  lblConnection[side] = valueLabel(source ? "lblConnection1" : "lblConnection2");
  lblDatabase[side] = valueLabel(source ? "lblDatabase1" : "lblDatabase2");
  lblServer[side] = valueLabel(source ? "lblServer1" : "lblServer2");
  lblUser[side] = valueLabel(source ? "lblUser1" : "lblUser2");
  lblTable[side] = valueLabel(source ? "lblTableSource" : "lblTableDestination");
  lblPassword[side] = new QLineEdit;
  lblPassword[side]->setObjectName(QStringLiteral("lblPassword") + n);
  lblPassword[side]->setReadOnly(true);
  lblPassword[side]->setEchoMode(QLineEdit::Password);
  lblPassword[side]->setContextMenuPolicy(Qt::NoContextMenu);
  lblPassword[side]->installEventFilter(this);
  const std::array<QWidget*, 6> values = {lblConnection[side], lblDatabase[side], lblServer[side],
                                          lblUser[side],       lblPassword[side], lblTable[side]};
  for (int row = 0; row < 6; ++row) {
    auto* caption = new QLabel;
    caption->setObjectName(QString::fromLatin1(captionNames[row]));
    caption->setBuddy(values[row]);
    m_summaryCaptions[side][row] = caption;
    grid->addWidget(caption, row, 0);
    grid->addWidget(values[row], row, 1);
  }
  imgIcon[side] = new QLabel;
  imgIcon[side]->setObjectName(QStringLiteral("imgIcon") + n);
  imgIcon[side]->setFixedSize(kIconSize, kIconSize);
  grid->addWidget(imgIcon[side], 0, 2, 3, 1, Qt::AlignTop);
  grid->setColumnStretch(1, 1);
  layout->addWidget(fraConnection[side]);

  auto* buttons = new QHBoxLayout;
  cmdInsertConn[side] = commandButton(source ? QStringLiteral("cmdInsertConnSource")
                                             : QStringLiteral("cmdInsertConnDestination"));
  cmdInsertTable[side] = commandButton(source ? QStringLiteral("cmdInsertTableSource")
                                              : QStringLiteral("cmdInsertTableDestination"));
  buttons->addWidget(cmdInsertConn[side]);
  buttons->addWidget(cmdInsertTable[side]);
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->addStretch();
  connect(cmdInsertConn[side], &QPushButton::clicked, this, [this, side] {
    trapped(side == 1 ? "cmdInsertConnSource_Click" : "cmdInsertConnDestination_Click",
            [this, side] { cmdInsertConn_Click(side); });
  });
  connect(cmdInsertTable[side], &QPushButton::clicked, this, [this, side] {
    trapped(side == 1 ? "cmdInsertTableSource_Click" : "cmdInsertTableDestination_Click",
            [this, side] { cmdInsertTable_Click(side); });
  });
  return panel;
}

QWidget* frmMain::buildMappingPanel() {
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* headings = new QHBoxLayout;
  lblTabella = new QLabel;
  lblTabella->setObjectName(QStringLiteral("lblTabella"));
  lblTabella2 = new QLabel;
  lblTabella2->setObjectName(QStringLiteral("lblTabella2"));
  for (QLabel* heading : {lblTabella, lblTabella2}) {
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    headings->addWidget(heading, 1);
  }
  layout->addLayout(headings);

  fraOption = new QGroupBox;
  fraOption->setObjectName(QStringLiteral("fraOption"));
  auto* options = new QVBoxLayout(fraOption);
  for (int i : {0, 1}) {
    optHowModifyTable[i] = new QRadioButton;
    optHowModifyTable[i]->setObjectName(QStringLiteral("optHowModifyTable%1").arg(i));
    options->addWidget(optHowModifyTable[i]);
    connect(optHowModifyTable[i], &QRadioButton::clicked, this, [this, i](bool checked) {
      if (checked) trapped("optHowModifyTable_Click", [this, i] { optHowModifyTable_Click(i); });
    });
  }
  layout->addWidget(fraOption);

  tdbMain = new MappingGridView;
  m_mappingModel = new MappingGridModel(this);
  tdbMain->setMappingModel(m_mappingModel);
  layout->addWidget(tdbMain, 1);
  return panel;
}

QWidget* frmMain::buildExecutionPanel() {
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* frames = new QHBoxLayout;
  for (int side : {1, 2}) {
    const QString n = QString::number(side);
    Frame[side] = new QGroupBox;
    Frame[side]->setObjectName(QStringLiteral("Frame") + n);
    auto* form = new QFormLayout(Frame[side]);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    lblRConnection[side] = valueLabel(side == 1 ? "lblRConnection1" : "lblRConnection2");
    lblRTable[side] = valueLabel(side == 1 ? "lblRTable1" : "lblRTable2");
    m_runConnectionCaption[side] = new QLabel;
    m_runConnectionCaption[side]->setObjectName(QStringLiteral("lblRConnectionCaption") + n);
    m_runTableCaption[side] = new QLabel;
    m_runTableCaption[side]->setObjectName(QStringLiteral("lblRTableCaption") + n);
    form->addRow(m_runConnectionCaption[side], lblRConnection[side]);
    form->addRow(m_runTableCaption[side], lblRTable[side]);
    frames->addWidget(Frame[side], 1);
  }
  layout->addLayout(frames);

  fraSteps = new QGroupBox;
  fraSteps->setObjectName(QStringLiteral("fraSteps"));
  auto* stepsLayout = new QVBoxLayout(fraSteps);
  lstSteps = new QTreeWidget;
  lstSteps->setObjectName(QStringLiteral("lstSteps"));
  lstSteps->setColumnCount(2);
  lstSteps->setRootIsDecorated(false);
  lstSteps->setUniformRowHeights(true);
  lstSteps->header()->setStretchLastSection(false);
  lstSteps->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lstSteps->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  stepsLayout->addWidget(lstSteps);
  layout->addWidget(fraSteps, 1);

  ProgressBar1 = new QProgressBar;
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 10000);
  ProgressBar1->setValue(0);
  layout->addWidget(ProgressBar1);
  lblRowCount = new QLabel;
  lblRowCount->setObjectName(QStringLiteral("lblRowCount"));
  layout->addWidget(lblRowCount);
  return panel;
}

void frmMain::applyTabOrder() {
  QList<QWidget*> order;
  for (auto* b : ribSelection) order << b;
  for (int side : {1, 2}) order << lblPassword[side] << cmdInsertConn[side] << cmdInsertTable[side];
  order << optHowModifyTable[0] << optHowModifyTable[1] << tdbMain << lstSteps;
  order << cmdIndietro << cmdAvanti << cmdEsci << cmdLoadSave[1] << cmdLoadSave[2];
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

QString frmMain::text(int32_t n) const {
  return uiText(n, m_wizard.Language());
}

void frmMain::SetCaptions() {
  setWindowTitle(QString::fromStdString(m_wizard.AppName()) + QStringLiteral(" - Version 1.0.1"));
  setWindowIcon(kpxIcon("ICO_MAIN"));
  QSet<QChar> used;
  // Mnemonics go first to the buttons used most.
  const auto caption = [&](QAbstractButton* button, int32_t n, const char* icon) {
    button->setText(withMnemonic(text(n), used));
    button->setIcon(kpxIcon(icon));
  };
  caption(cmdAvanti, m_step == StepExecution ? 21 : 18,
          m_step == StepExecution ? "ICO_EXECUTE" : "ICO_AVANTI");
  caption(cmdIndietro, 19, "ICO_INDIETRO");
  caption(cmdEsci, 17, "ICO_ESCI");
  caption(cmdLoadSave[1], 7, "ICO_LOADINI");
  caption(cmdLoadSave[2], 8, "ICO_SALVA");
  const std::array<const char*, 4> stepIcons = {"ICO_SOURCEDESTINATION", "ICO_SOURCEDESTINATION",
                                                "ICO_MAPPA", "ICO_EXECUTION"};
  for (int i = 0; i < 4; ++i) caption(ribSelection[i], 3 + i, stepIcons[i]);
  // The two sides' buttons are never on screen together, so they share their letters.
  QSet<QChar> panelUsed = used;
  for (int side : {1, 2}) {
    used = panelUsed;
    caption(cmdInsertConn[side], 15, "ICO_CONN");
    caption(cmdInsertTable[side], 16, "ICO_TABLE");
    fraConnection[side]->setTitle(text(55));
    for (int row = 0; row < 6; ++row) m_summaryCaptions[side][row]->setText(text(9 + row));
    lblPassword[side]->setEchoMode(QLineEdit::Password);
    // The mask is "*", whatever the style would draw (42 is its character code).
    lblPassword[side]->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Frame[side]->setTitle(text(side == 1 ? 3 : 4));
    m_runConnectionCaption[side]->setText(text(20));
    m_runTableCaption[side]->setText(text(14));
  }
  used = panelUsed;
  optHowModifyTable[0]->setText(withMnemonic(text(23), used));
  optHowModifyTable[1]->setText(withMnemonic(text(22), used));
  fraSteps->setTitle(text(28));
  lstSteps->setHeaderLabels({text(64), text(65)});
  // The mapping headings name the tables too; they are refreshed with the step.
  lblTabella->setText(text(1) + QStringLiteral(": ") +
                      QString::fromStdString(m_wizard.Source()->TableName()));
  lblTabella2->setText(text(2) + QStringLiteral(": ") +
                       QString::fromStdString(m_wizard.Destination()->TableName()));
  m_mappingModel->setLanguage(m_wizard.Language());
  tdbMain->fitColumns();
  mainWindowState().SqlServerNames = data::availableSqlServers();
}

std::string frmMain::NameDatabase(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

void frmMain::SetImage(QLabel* image, int32_t kind) {
  const char* icon = nullptr;
  switch (kind) {
    case CONN_ACCESS:
      icon = "ICO_ACCESS";
      break;
    case CONN_SQLServer:
      icon = "ICO_SQL";
      break;
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5:
      icon = "ICO_EXCEL";
      break;
    case CONN_TEXTFILE:
      icon = "ICO_WORD";
      break;
    case CONN_HTML_SOURCE:
      icon = "ICO_HTM";
      break;
    default:
      return;
  }
  image->setPixmap(kpxIcon(icon).pixmap(kIconSize, kIconSize));
  image->setProperty("icon", QString::fromLatin1(icon));
}

void frmMain::ShowSourceConnectionDatas() {
  showConnectionDatas(1);
}
void frmMain::ShowDestinationConnectionDatas() {
  showConnectionDatas(2);
}

void frmMain::showConnectionDatas(int side) {
  const clsConnection& c = side == 1 ? *m_wizard.Source() : *m_wizard.Destination();
  setValue(lblConnection[side], modMain::NameConnection(c.ConType()));
  setValue(lblDatabase[side], NameDatabase(c.Database()));
  setValue(lblServer[side], c.Server());
  setValue(lblUser[side], c.User());
  lblPassword[side]->setText(QString::fromStdString(c.Password()));
  SetImage(imgIcon[side], c.ConType());
  showTableLabel(side);
}

void frmMain::showTableLabel(int side) {
  const clsConnection& c = side == 1 ? *m_wizard.Source() : *m_wizard.Destination();
  const bool shown = side == 2 || c.TableType() == kpxTypeTable || c.TableType() == kpxTypeQuery;
  setValue(lblTable[side], shown ? c.TableName() : std::string());
}

void frmMain::ShowTableButtons(int32_t sourceKind, int32_t destinationKind) {
  for (int side : {1, 2}) {
    cmdInsertTable[side]->setEnabled(false);
    const int32_t kind = side == 1 ? sourceKind : destinationKind;
    if (kind <= 0) continue;
    cmdInsertTable[side]->setVisible(kind != CONN_TEXTFILE);
    cmdInsertTable[side]->setEnabled(kind != CONN_TEXTFILE);
  }
}

void frmMain::ApplyLocks(bool lockSource, bool lockDestination) {
  for (int side : {1, 2}) {
    if (!(side == 1 ? lockSource : lockDestination)) continue;
    cmdInsertConn[side]->setEnabled(false);
    cmdInsertTable[side]->setEnabled(false);
  }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  // A password box that gets the focus disables itself: the password can be neither
  // edited nor copied there.
  if (event->type() == QEvent::FocusIn)
    for (int side : {1, 2})
      if (watched == lblPassword[side]) lblPassword[side]->setEnabled(false);
  return QDialog::eventFilter(watched, event);
}

int32_t frmMain::showMessage(int32_t n, int32_t style) {
  const enKpxLanguage lang =
      m_wizard.Language() == kpxLanguageItalian ? kpxLanguageItalian : kpxLanguageEnglish;
  return ShowMessage(GetResText(n, lang), style, m_wizard.AppName());
}

void frmMain::trapped(const char* procedure, const std::function<void()>& handler) {
  runTrapped("frmMain", procedure, handler);
}

bool frmMain::confirmClose() {
  if (m_wizard.AutoCloseWizard() || !m_wizard.AskCloseConfirmation()) return true;
  constexpr int32_t kSecondButtonDefault = 256;
  return showMessage(509, vbQuestionYesNo + kSecondButtonDefault) == vbYes;
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!m_closeApproved && !confirmClose()) {
    event->ignore();
    return;
  }
  m_closeApproved = true;
  QDialog::closeEvent(event);
}

void frmMain::reject() {
  if (!m_closeApproved && !confirmClose()) return;
  m_closeApproved = true;
  QDialog::reject();
}

void frmMain::Form_Load() {
  resize(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));
  SetCaptions();
  // The captions decide the least size; the default grows when a language needs more room.
  resize(size().expandedTo(minimumSizeHint()));
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
  selectStep(StepSource);
  cmdIndietro->setVisible(false);
  setStepEnabled(StepMapping, false);
  setStepEnabled(StepExecution, false);

  clsConnection& source = *m_wizard.Source();
  clsConnection& destination = *m_wizard.Destination();
  const bool haveSource = !source.Database().empty();
  const bool haveDestination = !destination.Database().empty();
  if (m_wizard.ExecutedMapping()) {
    if (!haveSource || !haveDestination) {
      showMessage(530, vbExclamation);
      return;
    }
    showBothConnections(destination.ConType() != CONN_TEXTFILE);
    setStepEnabled(StepMapping, true);
    selectStep(StepMapping);
    setStepEnabled(StepExecution, true);
    selectStep(StepExecution);
    return;
  }
  if (haveSource && haveDestination) {
    showBothConnections(true);
  } else if (haveSource) {
    ShowTableButtons(source.ConType(), 0);
    ApplyLocks(m_wizard.LockSource(), m_wizard.LockDestination());
    selectStep(StepDestination);
    ShowSourceConnectionDatas();
  } else if (haveDestination) {
    ShowTableButtons(0, destination.ConType());
    ApplyLocks(m_wizard.LockSource(), m_wizard.LockDestination());
    ShowDestinationConnectionDatas();
    setValue(lblTable[2], destination.TableName());
  }
}

void frmMain::showBothConnections(bool prepareNewTable) {
  const clsConnection& source = *m_wizard.Source();
  const clsConnection& destination = *m_wizard.Destination();
  ShowTableButtons(source.ConType(), destination.ConType());
  ApplyLocks(m_wizard.LockSource(), m_wizard.LockDestination());
  setStepEnabled(StepMapping, false);
  setStepEnabled(StepExecution, false);
  ShowSourceConnectionDatas();
  ShowDestinationConnectionDatas();
  if (prepareNewTable && destination.CreatedDestinationTable()) processCreate();
  setValue(lblTable[2], destination.TableName());
}

void frmMain::processCreate() {
  modMain::ProcessCreate(*m_wizard.Source(), *m_wizard.Destination());
  DestinationTableExists = mainWindowState().DestinationTableExists;
}

int16_t frmMain::buildColumns() {
  const clsConnection& destination = *m_wizard.Destination();
  // Before the Mapping step the column builder creates an asked-for table itself; the grid
  // then maps onto it instead of defining it again.
  const bool creates = CreateTable == 0 && destination.CreatedDestinationTable() &&
                       destination.ConType() != CONN_TEXTFILE;
  const int16_t result =
      m_wizard.BuildColumns(m_wizard.Source(), m_wizard.Destination(), CreateTable != 0);
  DestinationTableExists = mainWindowState().DestinationTableExists || (creates && result == 1);
  return result;
}

void frmMain::cmdLoadSave_Click(int index) {
  const QString path = m_chooseFile(index == 2);
  if (index == 2) {
    // A cancelled save writes nothing.
    if (!path.isEmpty()) m_wizard.SaveIntoINIFile(path.toStdString());
    return;
  }
  loadConfiguration(path);
}

}  // namespace kpx::ui
