// The dialog in which the user defines the wizard's source or destination connection: the
// kind (as the installed providers allow), the file or server, user and password, and a text
// file's layout. It edits the wizard's connection in place, and only when the user saves.
#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

#include "kpxwizard/wizard.h"
#include "ui/fixed_width_layout.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kpx::ui {

class frmTesto;

class frmConnection : public QDialog {
  Q_OBJECT

 public:
  // `connection` 1 edits the wizard's Source, 2 its Destination.
  frmConnection(cKPXWizard& wizard, int32_t connection, QWidget* parent = nullptr);

  int32_t Connection() const { return m_connection; }
  // How the dialog closed: true unless a new connection was set.
  bool ConnectionUnchanged() const { return m_unchanged; }
  // The side's table button is to be enabled (a new connection was set).
  bool TableButtonEnabled() const { return m_tableButton; }

  // Where the browse and New buttons get a file name; the file dialog unless replaced.
  // `save` is true for New; the pattern is the dialog's default name.
  using FileChooser =
      std::function<QString(bool save, const QString& pattern, const QString& filter)>;
  void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

  // How the preview and the fixed-width editor are shown; modally unless replaced. Answers
  // the dialog's result.
  using PreviewRunner = std::function<int(frmTesto& window)>;
  void setPreviewRunner(PreviewRunner runner) { m_runPreview = std::move(runner); }

  // The providers whose kinds are offered; the installed ones unless replaced.
  static std::vector<std::string>& offeredProviders();

 protected:
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildKindList();
  void readConnection();
  void cmdConnection_Click();
  void optAutentication_Click(int index);
  void setUserEnabled(bool enabled);
  void cmdSearch_Click();
  void cmdCreateDestination_Click();
  void optFormat_Click();
  void showOtherDelimiter();
  void ActivatePreview(int16_t formType);
  void cmdInsert_Click();
  int16_t SetConnection();
  void writeFields(clsConnection& target, int32_t format) const;
  bool textFileReadable(int32_t message);
  QString columnDelimiter() const;
  QString text(int32_t n) const;
  int32_t showMessage(int32_t n, int32_t style, const std::vector<std::string>& values = {});
  void trapped(const char* procedure, const std::function<void()>& handler);

  cKPXWizard& m_wizard;
  int32_t m_connection;
  clsConnection& m_edited;
  int32_t SelectedKind = 0;
  bool m_unchanged = true;
  bool m_tableButton = false;
  FileChooser m_chooseFile;
  PreviewRunner m_runPreview;
  // The fixed-width field list: the edited connection's, then what the editor handed back.
  FieldList m_fixedFields;

  QLabel* lblTitolo = nullptr;
  QLabel* label1 = nullptr;
  QComboBox* cmbConnection = nullptr;
  QLabel* imgIcon = nullptr;
  QWidget* Frame1 = nullptr;
  QGroupBox* fraDatabase = nullptr;
  QLabel* lblDatabase = nullptr;
  QLineEdit* txtDatabase = nullptr;
  QPushButton* cmdSearch = nullptr;
  QPushButton* cmdCreateDestination = nullptr;
  QGroupBox* fraAutentication = nullptr;
  std::array<QRadioButton*, 2> optAutentication{};
  QGroupBox* frameUserPass = nullptr;
  QLabel* lblServer = nullptr;
  QComboBox* txtServer = nullptr;
  QLabel* lblUser = nullptr;
  QLineEdit* txtUser = nullptr;
  QLabel* lblPassword = nullptr;
  QLineEdit* txtPassword = nullptr;
  QGroupBox* fraFileTesto = nullptr;
  QRadioButton* optDelimitato = nullptr;
  QRadioButton* optFisso = nullptr;
  QCheckBox* chkFirstRow = nullptr;
  QLabel* label5 = nullptr;
  QLineEdit* txtSkipRows = nullptr;
  QWidget* fraDelimitator = nullptr;
  QComboBox* cmbRow = nullptr;
  QComboBox* cmbColumn = nullptr;
  QLabel* lblAltro = nullptr;
  QLineEdit* txtAltro = nullptr;
  QComboBox* cmbTextQualifier = nullptr;
  QPushButton* cmdProperty = nullptr;
  QPushButton* cmdPreview = nullptr;
  QPushButton* cmdInsert = nullptr;
  QPushButton* cmdExit = nullptr;
};

}  // namespace kpx::ui
