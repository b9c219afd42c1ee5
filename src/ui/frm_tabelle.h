// The dialog in which the user chooses what a connection reads or writes: a table or view of
// the source, a SELECT typed by hand (checked against the catalog first), or for the
// destination an existing table or a new one made from the source columns. The catalog must
// already be open on the connection's data source.
#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "kpxwizard/wizard.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace kpx::ui {

class frmTabelle : public QDialog {
  Q_OBJECT

 public:
  // `connection` 1 works on the wizard's Source, 2 on its Destination.
  frmTabelle(cKPXWizard& wizard, int32_t connection, QWidget* parent = nullptr);

  int32_t Connection() const { return m_connection; }
  std::string NameTableDestination;
  // Set by Undo and by every accepted choice; until then the window refuses to close.
  bool bDialogDone = false;

  // How the dialog ended: a choice was accepted (and whether its name differs from the
  // previous one), or it was cancelled.
  bool Picked() const { return m_picked; }
  bool NameChanged() const { return m_changed; }
  bool Cancelled() const { return m_cancelled; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void ribSelection_Click(int mode);
  void subTable();
  void cmdSeleziona_Click();
  void selectDestination();
  void selectSourceTable();
  void selectQuery();
  void accept(bool changed);
  void cmdAnnulla_Click();
  void refuseQuery(int32_t message);
  QString text(int32_t n) const;
  int32_t showMessage(int32_t n, int32_t style);
  void trapped(const char* procedure, const std::function<void()>& handler);

  cKPXWizard& m_wizard;
  int32_t m_connection;
  clsConnection& m_edited;
  std::string m_sourceTable;
  bool m_picked = false;
  bool m_changed = false;
  bool m_cancelled = false;

  QLabel* label1 = nullptr;
  std::array<QToolButton*, 2> ribSelection{};
  QListWidget* List1 = nullptr;
  QPlainTextEdit* txtScript = nullptr;
  QPushButton* cmdSeleziona = nullptr;
  QPushButton* cmdAnnulla = nullptr;
};

}  // namespace kpx::ui
