// The text file's first rows under a character ruler (FormTypePreview 0), and with them the
// fixed-width editor (FormTypePreview 1): a grid of field names and lengths that the ruler's
// clicks and the guess fill too, handed back to the connection dialog on OK. The rows are
// the preview rows the opener loaded before showing the window.
#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

#include "kpxwizard/wizard.h"
#include "ui/fixed_width_layout.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTableWidget;

namespace kpx::ui {

class PreviewLine;

class frmTesto : public QDialog {
  Q_OBJECT

 public:
  explicit frmTesto(cKPXWizard& wizard, QWidget* parent = nullptr);

  // Set by the opener before the window is shown.
  int16_t FormTypePreview = 0;  // 0 preview, 1 fixed-width editor
  int32_t Side = kpxSource;     // the side whose connection is being edited
  // The side's connection already describes this file: the editor starts from its fields.
  bool SameFile = false;
  // The file previewed, named under the heading.
  QString Database;
  // A field list the opener holds already; the editor starts from it when it is not empty.
  std::vector<FieldRow> OpenerFields;

  // What OK handed back in editor mode.
  const FieldList& Fields() const { return m_fields; }
  bool Changed() const { return m_changed; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void Form_Load();
  void HScroll1_Change(int value);
  void fitScrollBar();
  void cmdOK_Click();
  void lblScala_Click(int position);
  void cmdGuess_Click();
  std::vector<FieldRow> gridRows() const;
  void fillGrid(const std::vector<FieldRow>& rows);
  void applyLayout(const FixedWidthLayout& layout);
  void tdbFixText_Change();
  QStringList previewRows() const;
  QString text(int32_t n) const;
  void trapped(const char* procedure, const std::function<void()>& handler);

  cKPXWizard& m_wizard;
  bool m_loaded = false;
  bool m_changed = false;
  int m_longest = 0;
  int m_offset = 1;
  int m_previousPosition = 0;
  FieldList m_fields;

  QLabel* lblTitolo = nullptr;
  std::array<PreviewLine*, 5> lblTesto{};
  PreviewLine* lblScala = nullptr;
  PreviewLine* lblDecine = nullptr;
  QScrollBar* HScroll1 = nullptr;
  QGroupBox* fraFixText = nullptr;
  QTableWidget* tdbFixText = nullptr;
  QLabel* lblTotale = nullptr;
  QPushButton* cmdGuess = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdAnnulla = nullptr;
};

}  // namespace kpx::ui
