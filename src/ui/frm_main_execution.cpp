// The main window's Execution step: running the transfer and showing its progress as the
// wizard's events arrive (on this thread, nested inside Execute).
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

#include "kpxwizard/messages.h"
#include "package/execution_state.h"
#include "ui/frm_main.h"
#include "ui/icons.h"
#include "ui/mapping_grid.h"

namespace kpx::ui {
namespace {

constexpr int kKeyRole = Qt::UserRole + 1;

}  // namespace

// Passes the wizard's events to the window for as long as a run lasts.
class frmMain::EventRelay : public WizardEventSink {
 public:
  explicit EventRelay(frmMain& window) : m_window(window) {}
  void OnStart(const std::string&) override { m_window.OnStart(); }
  void OnProgress(const std::string&, const std::string& description, int32_t, int32_t low,
                  int32_t) override {
    m_window.OnProgress(description, low);
  }
  void OnFinish(const std::string&) override { m_window.OnFinish(); }

 private:
  frmMain& m_window;
};

void frmMain::RunExecution() {
  const uint32_t cookie = m_wizard.advise(std::make_shared<EventRelay>(*this));
  const bool done = m_wizard.Execute();
  m_wizard.unadvise(cookie);
  if (done)
    tdbMain->viewport()->update();
  else
    ShowStepsProcess(QString(), false);
}

void frmMain::OnStart() {
  ProgressBar1->setValue(0);
  ProgressBar1->repaint();
}

void frmMain::OnProgress(const std::string& description, int32_t countLow) {
  lblRowCount->hide();
  if (countLow > 1000 && ProgressBar1->maximum() <= countLow)
    ProgressBar1->setMaximum(ProgressBar1->maximum() * 2);
  else if (countLow <= 1000)
    ProgressBar1->setMaximum(10000);
  ProgressBar1->setValue(countLow);
  ProgressBar1->repaint();
  ShowStepsProcess(QString::fromStdString(description), true);
}

void frmMain::OnFinish() {
  ShowErrorInListView();
  ProgressBar1->setValue(ProgressBar1->maximum());
  ProgressBar1->repaint();
}

void frmMain::ShowErrorInListView() {
  const ExecutionState& run = executionState();
  if (run.nPackageErrors <= 0) return;
  const QString row =
      QString::fromStdString(substituteCarets(
          GetResText(549, m_wizard.Language() == kpxLanguageItalian ? kpxLanguageItalian
                                                                    : kpxLanguageEnglish),
          {std::to_string(run.nPackageErrors)})) +
      QStringLiteral(" ") + QString::fromStdString(run.strLastPackageError);
  ShowStepsProcess(row, false);
}

void frmMain::ShowStepsProcess(const QString& description, bool completed) {
  trapped("ShowStepsProcess", [&] {
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < lstSteps->topLevelItemCount() && !row; ++i)
      if (lstSteps->topLevelItem(i)->data(0, kKeyRole).toString() == description)
        row = lstSteps->topLevelItem(i);
    if (!row) {
      row = new QTreeWidgetItem(lstSteps, {description});
      row->setData(0, kKeyRole, description);
      row->setToolTip(0, description);
    }
    row->setIcon(1, kpxIcon(completed ? "Corretto" : "scorretto"));
    row->setText(1, text(completed ? 71 : 70));
    row->setData(1, kKeyRole, completed ? QStringLiteral("Corretto") : QStringLiteral("scorretto"));
    lstSteps->scrollToItem(row);
    lstSteps->viewport()->repaint();
  });
}

}  // namespace kpx::ui
