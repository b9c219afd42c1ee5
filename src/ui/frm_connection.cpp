#include "ui/frm_connection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "data/providers/provider.h"
#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "ui/frm_testo.h"
#include "ui/icons.h"
#include "ui/row_delimiter_captions.h"
#include "ui/texts.h"
#include "ui/trapped_handler.h"

namespace kpx::ui {
namespace {

constexpr int32_t kHeight = 416;  // 6240 twips

struct KindEntry {
  const char* name;
  int32_t kind;
};

const char* kindIcon(int32_t kind) {
  switch (kind) {
    case CONN_ACCESS:
      return "ICO_ACCESS";
    case CONN_SQLServer:
      return "ICO_SQL";
    case CONN_TEXTFILE:
      return "ICO_WORD";
    case CONN_HTML_SOURCE:
      return "ICO_HTM";
    default:
      return "ICO_EXCEL";
  }
}

bool isExcel(int32_t kind) {
  return kind == CONN_EXCEL || kind == CONN_EXCEL3 || kind == CONN_EXCEL4 || kind == CONN_EXCEL5;
}

bool readable(const QString& path) {
  QFile file(path);
  return !path.isEmpty() && QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

}  // namespace

std::vector<std::string>& frmConnection::offeredProviders() {
  static std::vector<std::string> providers = data::installedProviders();
  return providers;
}

frmConnection::frmConnection(cKPXWizard& wizard, int32_t connection, QWidget* parent)
    : QDialog(parent),
      m_wizard(wizard),
      m_connection(connection),
      m_edited(connection == kpxSource ? *wizard.Source() : *wizard.Destination()) {
  m_chooseFile = [this](bool save, const QString& pattern, const QString& filter) {
    return save ? QFileDialog::getSaveFileName(this, QString(), pattern, filter)
                : QFileDialog::getOpenFileName(this, QString(), pattern, filter);
  };
  m_runPreview = [](frmTesto& window) { return window.exec(); };
  SetBusyCursor();
  setObjectName(QStringLiteral("frmConnection"));
  setWindowTitle(QString::fromStdString(m_wizard.AppName()));
  setWindowIcon(kpxIcon("ICO_MAIN"));
  buildControls();
  lblTitolo->setText(text(m_connection == kpxSource ? 30 : 31));
  buildKindList();
  Frame1->hide();
  if (!m_edited.Database().empty()) readConnection();
  SetDefaultCursor();
}

QString frmConnection::text(int32_t n) const {
  return uiText(n, m_wizard.Language());
}

int32_t frmConnection::showMessage(int32_t n, int32_t style,
                                   const std::vector<std::string>& values) {
  const enKpxLanguage lang =
      m_wizard.Language() == kpxLanguageItalian ? kpxLanguageItalian : kpxLanguageEnglish;
  return ShowMessage(substituteCarets(GetResText(n, lang), values), style, m_wizard.AppName());
}

void frmConnection::trapped(const char* procedure, const std::function<void()>& handler) {
  runTrapped("frmConnection", procedure, handler);
}

void frmConnection::buildControls() {
  QSet<QChar> used;
  auto label = [&](const char* name, int32_t n, QWidget* buddy) {
    auto* l = new QLabel(withMnemonic(text(n), used));
    l->setObjectName(QString::fromLatin1(name));
    if (buddy) {
      l->setBuddy(buddy);
      buddy->installEventFilter(this);
    }
    return l;
  };
  auto button = [&](const char* name, int32_t n, const char* icon) {
    auto* b = new QPushButton(n ? withMnemonic(text(n), used) : QString());
    b->setObjectName(QString::fromLatin1(name));
    if (icon) b->setIcon(kpxIcon(icon));
    return b;
  };
  auto named = [](auto* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
  };

  lblTitolo = named(new QLabel, "lblTitolo");
  QFont heading = lblTitolo->font();
  heading.setBold(true);
  lblTitolo->setFont(heading);
  cmbConnection = named(new QComboBox, "cmbConnection");
  label1 = label("label1", 20, cmbConnection);
  imgIcon = named(new QLabel, "imgIcon");
  imgIcon->setFixedSize(32, 32);

  txtDatabase = named(new QLineEdit, "txtDatabase");
  // Room for a path worth reading beside the browse and New buttons.
  txtDatabase->setMinimumWidth(240);
  lblDatabase = label("lblDatabase", 33, txtDatabase);
  cmdSearch = button("cmdSearch", 0, nullptr);
  cmdSearch->setText(QStringLiteral("..."));
  cmdSearch->setToolTip(text(33));
  cmdSearch->setIcon(kpxIcon("ICO_LOADINI"));
  cmdCreateDestination = button("cmdCreateDestination", 46, nullptr);
  fraDatabase = named(new QGroupBox, "fraDatabase");
  auto* databaseRow = new QHBoxLayout(fraDatabase);
  databaseRow->addWidget(lblDatabase);
  databaseRow->addWidget(txtDatabase, 1);
  databaseRow->addWidget(cmdSearch);
  databaseRow->addWidget(cmdCreateDestination);

  fraAutentication = named(new QGroupBox, "fraAutentication");
  auto* authRow = new QHBoxLayout(fraAutentication);
  for (int i : {0, 1}) {
    optAutentication[i] = new QRadioButton(withMnemonic(text(i == 0 ? 35 : 34).trimmed(), used));
    optAutentication[i]->setObjectName(QStringLiteral("optAutentication%1").arg(i));
    authRow->addWidget(optAutentication[i]);
    connect(optAutentication[i], &QRadioButton::clicked, this,
            [this, i] { optAutentication_Click(i); });
  }

  txtServer = named(new QComboBox, "txtServer");
  txtServer->setEditable(true);
  txtUser = named(new QLineEdit, "txtUser");
  txtPassword = named(new QLineEdit, "txtPassword");
  txtPassword->setEchoMode(QLineEdit::Password);
  lblServer = label("lblServer", 11, txtServer);
  lblUser = label("lblUser", 12, txtUser);
  lblPassword = label("lblPassword", 13, txtPassword);
  frameUserPass = named(new QGroupBox, "frameUserPass");
  auto* userGrid = new QGridLayout(frameUserPass);
  userGrid->addWidget(lblServer, 0, 0);
  userGrid->addWidget(txtServer, 0, 1);
  userGrid->addWidget(lblUser, 1, 0);
  userGrid->addWidget(txtUser, 1, 1);
  userGrid->addWidget(lblPassword, 2, 0);
  userGrid->addWidget(txtPassword, 2, 1);

  optDelimitato = named(new QRadioButton(withMnemonic(text(38), used)), "optDelimitato");
  optFisso = named(new QRadioButton(withMnemonic(text(39), used)), "optFisso");
  chkFirstRow = named(new QCheckBox(withMnemonic(text(40), used)), "chkFirstRow");
  txtSkipRows = named(new QLineEdit(QStringLiteral("0")), "txtSkipRows");
  label5 = label("label5", 41, txtSkipRows);
  cmbRow = named(new QComboBox, "cmbRow");
  cmbColumn = named(new QComboBox, "cmbColumn");
  txtAltro = named(new QLineEdit, "txtAltro");
  cmbTextQualifier = named(new QComboBox, "cmbTextQualifier");
  cmbTextQualifier->setEditable(true);
  auto* label2 = label("label2", 42, cmbRow);
  auto* label3 = label("label3", 43, cmbColumn);
  lblAltro = label("lblAltro", 29, txtAltro);
  auto* label4 = label("label4", 44, cmbTextQualifier);
  cmdProperty = button("cmdProperty", 45, "ICO_PROPRIETA");
  cmdPreview = button("cmdPreview", 0, "ICO_SMALLANTEPRIMA");
  // An icon-only button is named by the window it opens.
  cmdPreview->setToolTip(text(50));
  cmdPreview->setAccessibleName(text(50));
  // Each entry carries its delimiter's code, whatever the window's language shows.
  const QStringList rowCaptions = rowDelimiterCaptions(m_wizard.Language());
  for (int code = 0; code < rowCaptions.size(); ++code) cmbRow->addItem(rowCaptions[code], code);
  cmbColumn->addItems({QStringLiteral(","), QStringLiteral(";"), QStringLiteral("TAB"), text(29)});
  cmbTextQualifier->addItems(
      {text(61), text(62) + QStringLiteral(" {'}"), text(63) + QStringLiteral(" {''}")});
  cmbRow->setCurrentIndex(0);
  cmbColumn->setCurrentIndex(0);
  cmbTextQualifier->setCurrentIndex(0);

  fraDelimitator = named(new QWidget, "fraDelimitator");
  auto* delimiters = new QGridLayout(fraDelimitator);
  delimiters->setContentsMargins(0, 0, 0, 0);
  delimiters->addWidget(label2, 0, 0);
  delimiters->addWidget(cmbRow, 0, 1);
  delimiters->addWidget(label3, 1, 0);
  delimiters->addWidget(cmbColumn, 1, 1);
  delimiters->addWidget(lblAltro, 1, 2);
  delimiters->addWidget(txtAltro, 1, 3);
  delimiters->addWidget(label4, 2, 0);
  delimiters->addWidget(cmbTextQualifier, 2, 1, 1, 3);
  fraFileTesto = named(new QGroupBox, "fraFileTesto");
  auto* textGrid = new QGridLayout(fraFileTesto);
  textGrid->addWidget(optDelimitato, 0, 0);
  textGrid->addWidget(optFisso, 0, 1);
  textGrid->addWidget(chkFirstRow, 1, 0, 1, 2);
  textGrid->addWidget(label5, 2, 0);
  textGrid->addWidget(txtSkipRows, 2, 1);
  textGrid->addWidget(fraDelimitator, 3, 0, 1, 3);
  auto* textButtons = new QHBoxLayout;
  textButtons->addStretch();
  textButtons->addWidget(cmdProperty);
  textButtons->addWidget(cmdPreview);
  textGrid->addLayout(textButtons, 4, 0, 1, 3);

  Frame1 = named(new QWidget, "Frame1");
  auto* frame = new QVBoxLayout(Frame1);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->addWidget(fraDatabase);
  frame->addWidget(fraAutentication);
  frame->addWidget(frameUserPass);
  frame->addWidget(fraFileTesto);
  frame->addStretch();

  cmdInsert = button("cmdInsert", 8, "ICO_SALVA");
  cmdExit = button("cmdExit", 37, "ICO_ESCI");
  cmdInsert->setDefault(true);

  auto* kindRow = new QHBoxLayout;
  kindRow->addWidget(label1);
  kindRow->addWidget(cmbConnection, 1);
  kindRow->addWidget(imgIcon);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdInsert);
  buttons->addWidget(cmdExit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTitolo);
  layout->addLayout(kindRow);
  layout->addWidget(Frame1, 1);
  layout->addStretch();
  layout->addLayout(buttons);
  setMinimumHeight(kHeight);

  connect(cmbConnection, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) trapped("cmdConnection_Click", [this] { cmdConnection_Click(); });
  });
  connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
  connect(cmdCreateDestination, &QPushButton::clicked, this,
          [this] { cmdCreateDestination_Click(); });
  connect(optDelimitato, &QRadioButton::toggled, this, [this] { optFormat_Click(); });
  connect(optFisso, &QRadioButton::toggled, this, [this] { optFormat_Click(); });
  connect(cmbColumn, &QComboBox::currentIndexChanged, this, [this] { showOtherDelimiter(); });
  connect(cmdPreview, &QPushButton::clicked, this,
          [this] { trapped("cmdPreview_Click", [this] { ActivatePreview(0); }); });
  connect(cmdProperty, &QPushButton::clicked, this,
          [this] { trapped("cmdProperty_Click", [this] { ActivatePreview(1); }); });
  connect(cmdInsert, &QPushButton::clicked, this,
          [this] { trapped("cmdInsert_Click", [this] { cmdInsert_Click(); }); });
  connect(cmdExit, &QPushButton::clicked, this, [this] { reject(); });
}

void frmConnection::buildKindList() {
  const bool source = m_connection == kpxSource;
  for (const std::string& provider : offeredProviders()) {
    std::vector<KindEntry> entries;
    if (provider == "Microsoft.Jet.OLEDB.4.0") {
      entries = {{"ACCESS", CONN_ACCESS},
                 {"EXCEL 3.0", CONN_EXCEL3},
                 {"EXCEL 4.0", CONN_EXCEL4},
                 {"EXCEL 5.0", CONN_EXCEL5},
                 {"EXCEL 97-2000", CONN_EXCEL}};
      if (source) entries.push_back({"HTML SOURCE", CONN_HTML_SOURCE});
    } else if (provider == "SQLOLEDB") {
      entries = {{"SQL SERVER", CONN_SQLServer}};
    } else if (provider == "DTSPackageDSO" || provider == "DTSFlatFile") {
      // The text-file reader registers under the flat-file name the connection strings use.
      entries = {{"TEXT FILE", CONN_TEXTFILE}};
    }
    for (const KindEntry& entry : entries)
      if (cmbConnection->findData(entry.kind) < 0)
        cmbConnection->addItem(QString::fromLatin1(entry.name), entry.kind);
  }
  cmbConnection->setCurrentIndex(-1);
}

void frmConnection::readConnection() {
  const int index = cmbConnection->findData(m_edited.ConType());
  if (index < 0) return;
  cmbConnection->setCurrentIndex(index);
  const QString database = QString::fromStdString(m_edited.Database());
  txtDatabase->setText(database);
  const int32_t kind = m_edited.ConType();
  if (kind == CONN_ACCESS || kind == CONN_SQLServer) {
    txtUser->setText(QString::fromStdString(m_edited.User()));
    txtPassword->setText(QString::fromStdString(m_edited.Password()));
  }
  if (kind == CONN_SQLServer) {
    const bool sqlAuthentication = !m_edited.User().empty();
    optAutentication[sqlAuthentication ? 0 : 1]->setChecked(true);
    setUserEnabled(sqlAuthentication);
    if (sqlAuthentication) {
      txtUser->setText(QString::fromStdString(m_edited.User()));
      txtPassword->setText(QString::fromStdString(m_edited.Password()));
    }
    const int server = txtServer->findText(QString::fromStdString(m_edited.Server()));
    txtServer->setCurrentIndex(server);
    if (server < 0) txtServer->setEditText(QString::fromStdString(m_edited.Server()));
  }
  if (kind != CONN_TEXTFILE) return;
  txtSkipRows->setText(QString::number(m_edited.SkipRows()));
  chkFirstRow->setChecked(m_edited.FirstRow() != 0);
  cmbRow->setCurrentIndex(std::max(0, cmbRow->findData(m_edited.RowDelimiter())));
  if (m_edited.FormatFile() != 1) {
    m_fixedFields = {m_edited.ColumnLengths(), m_edited.ColumnNames(), m_edited.NumberColumns()};
    optFisso->setChecked(true);
    return;
  }
  const std::string& qualifier = m_edited.TextQualifier();
  if (qualifier == "'")
    cmbTextQualifier->setCurrentIndex(1);
  else if (qualifier == "\"")
    cmbTextQualifier->setCurrentIndex(2);
  else if (qualifier.empty())
    cmbTextQualifier->setCurrentIndex(0);
  else
    cmbTextQualifier->setEditText(QString::fromStdString(qualifier));
  const std::string& column = m_edited.ColumnDelimiter();
  const int position = column == ","                         ? 0
                       : column == ";"                       ? 1
                       : (column == "\t" || column == "TAB") ? 2
                                                             : 3;
  cmbColumn->setCurrentIndex(position);
  optDelimitato->setChecked(true);
  if (position == 3) txtAltro->setText(QString::fromStdString(column));
  showOtherDelimiter();
}

void frmConnection::cmdConnection_Click() {
  Frame1->show();
  txtDatabase->clear();
  txtUser->clear();
  txtPassword->clear();
  txtServer->setCurrentIndex(-1);
  txtServer->clearEditText();
  SelectedKind = cmbConnection->currentData().toInt();
  imgIcon->setPixmap(kpxIcon(kindIcon(SelectedKind)).pixmap(32, 32));
  const bool source = m_connection == kpxSource;
  const bool sql = SelectedKind == CONN_SQLServer;
  const bool access = SelectedKind == CONN_ACCESS;
  const bool textFile = SelectedKind == CONN_TEXTFILE;
  QSet<QChar> letters{QLatin1Char('c')};  // the kind list's label keeps its letter
  lblDatabase->setText(withMnemonic(text(sql ? 15 : 33), letters));
  cmdSearch->setVisible(!sql);
  cmdCreateDestination->setVisible(!source && access);
  fraAutentication->setVisible(sql);
  frameUserPass->setVisible(sql || access);
  lblServer->setVisible(sql);
  txtServer->setVisible(sql);
  fraFileTesto->setVisible(textFile);
  if (sql) {
    optAutentication[1]->setChecked(true);
    setUserEnabled(false);
    if (txtServer->count() == 0) {
      for (const std::string& name : mainWindowState().SqlServerNames)
        txtServer->addItem(QString::fromStdString(name));
      txtServer->setCurrentIndex(-1);
    }
  } else if (access) {
    setUserEnabled(true);
  }
  if (textFile) {
    lblAltro->hide();
    txtAltro->hide();
    cmdPreview->setVisible(source);
    cmdProperty->setVisible(source);
    txtSkipRows->setVisible(source);
    label5->setVisible(source);
    if (!optDelimitato->isChecked() && !optFisso->isChecked()) optDelimitato->setChecked(true);
    optFormat_Click();
  }
}

void frmConnection::setUserEnabled(bool enabled) {
  if (!enabled) {
    txtUser->clear();
    txtPassword->clear();
  }
  for (QWidget* widget : {static_cast<QWidget*>(txtUser), static_cast<QWidget*>(txtPassword),
                          static_cast<QWidget*>(lblUser), static_cast<QWidget*>(lblPassword)})
    widget->setEnabled(enabled);
}

void frmConnection::optAutentication_Click(int index) {
  setUserEnabled(index == 0);
}

void frmConnection::cmdSearch_Click() {
  QString pattern;
  QString filter;
  if (SelectedKind == CONN_ACCESS) {
    pattern = QStringLiteral("*.mdb");
    filter = QStringLiteral("File Microsoft Access (*.mdb *.db *.sqlite)");
  } else if (isExcel(SelectedKind)) {
    pattern = QStringLiteral("*.xls");
    filter = QStringLiteral("File Microsoft Excel (*.xls *.xlsx)");
  } else if (SelectedKind == CONN_TEXTFILE) {
    pattern = QStringLiteral("*.txt;*.csv");
    filter = QStringLiteral("File TEXT (*.txt *.csv)");
  } else if (SelectedKind == CONN_HTML_SOURCE) {
    pattern = QStringLiteral("*.html;*.htm");
    filter = QStringLiteral("File HTML (*.html *.htm)");
  }
  // A destination text file may be new: it is named in a save dialog and made empty.
  const bool newText = SelectedKind == CONN_TEXTFILE && m_connection == kpxDestination;
  const QString chosen = m_chooseFile(newText, pattern, filter);
  // A cancelled dialog leaves the name as it was.
  if (chosen.isEmpty()) return;
  if (newText && !QFileInfo::exists(chosen)) {
    QFile file(chosen);
    if (!file.open(QIODevice::WriteOnly)) {
      showMessage(529, vbExclamation);
      return;
    }
  }
  const bool moved = chosen != txtDatabase->text();
  txtDatabase->setText(chosen);
  if (SelectedKind == CONN_TEXTFILE && moved) optDelimitato->setFocus();
}

void frmConnection::cmdCreateDestination_Click() {
  const QString chosen =
      m_chooseFile(true, QStringLiteral("*.mdb"), QStringLiteral("File Access (*.mdb *.db)"));
  if (chosen.isEmpty() || QFileInfo::exists(chosen)) return;
  modDatabase::CreaDataBase(chosen.toStdString());
}

void frmConnection::optFormat_Click() {
  fraDelimitator->setVisible(optDelimitato->isChecked());
  cmdPreview->setVisible(m_connection == kpxSource);
  if (optDelimitato->isChecked()) showOtherDelimiter();
}

void frmConnection::showOtherDelimiter() {
  const bool other = cmbColumn->currentIndex() == 3;
  lblAltro->setVisible(other);
  txtAltro->setVisible(other);
}

bool frmConnection::textFileReadable(int32_t message) {
  if (!readable(txtDatabase->text())) {
    showMessage(message, vbExclamation);
    return false;
  }
  if (loadPreviewRows(txtDatabase->text(), cmbRow->currentText(),
                      chkFirstRow->isChecked() ? -1 : 0) == -2) {
    showMessage(522, vbExclamation);
    return false;
  }
  return true;
}

void frmConnection::ActivatePreview(int16_t formType) {
  if (txtDatabase->text().isEmpty()) {
    showMessage(523, vbExclamation);
    return;
  }
  if (!textFileReadable(528)) return;
  frmTesto window(m_wizard, this);
  window.FormTypePreview = formType;
  window.Side = m_connection;
  window.Database = txtDatabase->text();
  const clsConnection& source = *m_wizard.Source();
  window.SameFile =
      source.Database() == txtDatabase->text().toStdString() && source.FormatFile() == kpxFixedFile;
  if (!m_fixedFields.lengths.empty() || !m_fixedFields.names.empty())
    window.OpenerFields =
        splitFields(m_fixedFields.lengths, m_fixedFields.names, m_fixedFields.count);
  if (m_runPreview(window) == QDialog::Accepted && formType == 1) m_fixedFields = window.Fields();
}

QString frmConnection::columnDelimiter() const {
  return cmbColumn->currentIndex() == 3 ? txtAltro->text().trimmed() : cmbColumn->currentText();
}

void frmConnection::cmdInsert_Click() {
  SetBusyCursor();
  struct Normal {
    ~Normal() { SetDefaultCursor(); }
  } normal;
  const bool source = m_connection == kpxSource;
  if (cmbConnection->currentText().isEmpty() || txtDatabase->text().isEmpty()) {
    showMessage(526, vbExclamation);
    return;
  }
  if (SelectedKind == CONN_TEXTFILE && source && optFisso->isChecked() &&
      (m_fixedFields.lengths.empty() || m_fixedFields.names.empty())) {
    showMessage(546, vbExclamation, {plainCaption(text(69)).toStdString()});
    return;
  }
  if (SelectedKind == CONN_SQLServer) {
    if (optAutentication[0]->isChecked() && txtUser->text().isEmpty()) {
      showMessage(524, vbExclamation);
      return;
    }
  } else if (SelectedKind == CONN_TEXTFILE && source) {
    if (!textFileReadable(529)) return;
  } else if (!readable(txtDatabase->text())) {
    showMessage(529, vbExclamation);
    return;
  }
  switch (SetConnection()) {
    case 0:
      showMessage(525, vbExclamation);
      m_unchanged = true;
      return;
    case 1:
      m_tableButton = true;
      m_unchanged = false;
      imgIcon->clear();
      txtDatabase->clear();
      txtUser->clear();
      txtPassword->clear();
      QDialog::accept();
      return;
    case 2:
      m_unchanged = true;
      QDialog::accept();
      return;
    default:
      // The wizard refused the connection and said why; it is left as it was.
      return;
  }
}

int16_t frmConnection::SetConnection() {
  const std::string database = txtDatabase->text().toStdString();
  const std::string kindName = cmbConnection->currentText().toStdString();
  const bool source = m_connection == kpxSource;
  const int32_t format = optDelimitato->isChecked() ? kpxDelimitedFile : kpxFixedFile;
  bool same =
      m_edited.Name() == database && modMain::NameConnection(m_edited.ConType()) == kindName;
  if (same && SelectedKind == CONN_TEXTFILE) {
    clsConnection fields;
    writeFields(fields, format);
    same = m_edited.FormatFile() == format && m_edited.FirstRow() == fields.FirstRow() &&
           m_edited.RowDelimiter() == fields.RowDelimiter() &&
           (!source || m_edited.SkipRows() == fields.SkipRows()) &&
           (format == kpxFixedFile ? m_edited.ColumnLengths() == fields.ColumnLengths() &&
                                         m_edited.ColumnNames() == fields.ColumnNames()
                                   : m_edited.ColumnDelimiter() == fields.ColumnDelimiter() &&
                                         m_edited.TextQualifier() == fields.TextQualifier());
  } else if (same) {
    same = m_edited.Password() == txtPassword->text().toStdString() &&
           m_edited.User() == txtUser->text().toStdString() &&
           (SelectedKind != CONN_SQLServer ||
            m_edited.Server() == txtServer->currentText().toStdString());
  }
  if (same) return 2;
  const clsConnection& other = source ? *m_wizard.Destination() : *m_wizard.Source();
  if (txtDatabase->text().compare(QString::fromStdString(other.Database()), Qt::CaseInsensitive) ==
      0)
    return 0;

  // The wizard checks a fresh connection first, so a refused one leaves the edited one as
  // it was.
  clsConnection candidate;
  writeFields(candidate, format);
  if (!m_wizard.ControlDataSource(candidate)) return -1;
  if (SelectedKind == CONN_TEXTFILE) m_edited.setCreatedDestinationTable(false);
  writeFields(m_edited, format);
  return m_wizard.Source()->Database() != m_wizard.Destination()->Database() ? 1 : 0;
}

void frmConnection::writeFields(clsConnection& target, int32_t format) const {
  const std::string database = txtDatabase->text().toStdString();
  if (SelectedKind == CONN_TEXTFILE) {
    if (format == kpxDelimitedFile) {
      target.setColumnDelimiter(columnDelimiter().toStdString());
      // The list's entries by position, so the window's language does not matter.
      const QString typed = cmbTextQualifier->currentText();
      const int qualifier = cmbTextQualifier->findText(typed);
      target.setTextQualifier(qualifier == 1   ? "'"
                              : qualifier == 2 ? "\""
                              : qualifier == 0 ? ""
                                               : typed.toStdString());
      target.setColumnNames("");
    } else {
      target.setColumnLengths(m_fixedFields.lengths);
      target.setColumnNames(m_fixedFields.names);
      target.setNumberColumns(m_fixedFields.count);
    }
    target.setFormatFile(format);
    target.setRowDelimiter(cmbRow->currentData().toInt());
    target.setFirstRow(chkFirstRow->isChecked() ? -1 : 0);
    target.setSkipRows(static_cast<int16_t>(txtSkipRows->text().toInt()));
  }
  target.setDatabase(database);
  target.setName(database);
  target.setProvider(SelectedKind);
  target.setServer(txtServer->currentText().toStdString());
  target.setUser(txtUser->text().toStdString());
  target.setPassword(txtPassword->text().toStdString());
  target.setMode(m_connection == kpxSource ? 1 : 2);
  target.CreateConnectionString();
}

void frmConnection::reject() {
  m_unchanged = true;
  QDialog::reject();
}

bool frmConnection::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (event->type() == QEvent::KeyPress && watched == txtUser) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier) {
      txtUser->setText(QStringLiteral("Administrator"));
      txtPassword->setFocus();
      return true;
    }
  }
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    const bool in = event->type() == QEvent::FocusIn;
    // The caption of the field being edited stands out while it has the focus.
    for (QLabel* caption : findChildren<QLabel*>())
      if (caption->buddy() == watched) {
        QFont font = caption->font();
        font.setBold(in);
        caption->setFont(font);
      }
    if (in && edit) QMetaObject::invokeMethod(edit, &QLineEdit::selectAll, Qt::QueuedConnection);
    if (!in && watched == txtSkipRows) {
      const QString rows = txtSkipRows->text().trimmed();
      if (rows.isEmpty())
        txtSkipRows->setText(QStringLiteral("0"));
      else if (!modMain::IsDigitsOnly(rows.toStdString()))
        showMessage(545, vbExclamation, {plainCaption(text(36)).toStdString()});
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kpx::ui
