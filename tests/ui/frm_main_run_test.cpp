// Transfers run from the main window: a configuration loaded with the Load button, the four
// steps walked by clicks, Execute, and what the step list and progress bar then show; the
// rows are read back with the sqlite3 program.
#include <QFile>
#include <QKeySequence>
#include <QPalette>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>

#include "kpxwizard/messages.h"
#include "support/recording_sink.h"
#include "ui/frm_main.h"
#include "ui/icons.h"
#include "window_probe.h"
#include "wizard_files.h"

using kpx::test::click;
using kpx::test::control;
using kpx::test::resText;
using kpx::test::shownCaption;
using kpx::test::WizardFiles;
using kpx::ui::frmMain;

namespace {

// Each row of the step list as "description=state text/image".
QStringList stepRows(frmMain& window) {
  auto* list = control<QTreeWidget>(window, "lstSteps");
  QStringList rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list->topLevelItem(i);
    rows << row->text(0) + "=" + row->text(1) + "/" + row->data(1, Qt::UserRole + 1).toString();
  }
  return rows;
}

QByteArray fileBytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A window on `wizard` whose Load button reads `config`, with the configuration loaded.
void loadThroughButton(frmMain& window, const std::string& config) {
  window.setFileChooser([config](bool) { return QString::fromStdString(config); });
  window.show();
  click(window, "cmdLoadSave1");
}

// A window on a configuration that copies the SQLite customers into the table T, which
// `createTable` makes; loaded through the Load button and on the Execution step.
struct WindowAtExecution {
  WindowAtExecution(int rows, const std::string& createTable, int language = 0) : files(rows) {
    files.sqlite(createTable);
    wizard = files.wizard();
    window = std::make_unique<frmMain>(*wizard);
    loadThroughButton(
        *window, files.writeConfiguration("T", false, language, WizardFiles::Source::SqliteTable));
    click(*window, "ribSelection3");
  }
  WizardFiles files;
  std::shared_ptr<kpx::cKPXWizard> wizard;
  kpx::test::ScopedRecordingSink sink;
  std::unique_ptr<frmMain> window;
};

}  // namespace

class FrmMainRunTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  // Each test's wizard goes with its test, as a host closes its own.
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
  }

  void csvIntoNewSqliteTableWalkingEveryStep() {
    WizardFiles files(12000);
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    frmMain window(*wizard);
    loadThroughButton(window, files.writeConfiguration("Customers", true));
    // A loaded configuration with both tables lands on the Mapping step.
    QCOMPARE(window.selectedStep(), 2);
    QVERIFY(control(window, "ribSelection3")->isEnabled());

    click(window, "ribSelection0");
    QCOMPARE(window.selectedStep(), 0);
    QVERIFY(control(window, "cmdIndietro")->isHidden());
    QCOMPARE(shownCaption(window, "lblDatabase1"), QStringLiteral("customers.csv"));
    QCOMPARE(control(window, "imgIcon1")->property("icon").toString(), QStringLiteral("ICO_WORD"));
    QCOMPARE(shownCaption(window, "lblTableDestination"), QStringLiteral("Customers"));
    const QColor selected(192, 0, 0);
    for (int step : {1, 2, 3}) {
      // Enter means Go wherever the focus is.
      if (step == 1)
        QTest::keyClick(control(window, "ribSelection0"), Qt::Key_Return);
      else
        click(window, "cmdAvanti");
      QCOMPARE(window.selectedStep(), step);
      for (int button = 0; button < 4; ++button)
        QCOMPARE(control(window, QStringLiteral("ribSelection%1").arg(button))
                         ->palette()
                         .color(QPalette::ButtonText) == selected,
                 button == step);
      QVERIFY(control(window, "cmdIndietro")->isVisible());
    }
    QCOMPARE(shownCaption(window, "cmdAvanti"), resText(21, 0));
    // Execute has an Alt letter, not the Execution step button's.
    const QKeySequence go =
        QKeySequence::mnemonic(control<QAbstractButton>(window, "cmdAvanti")->text());
    QVERIFY(!go.isEmpty() && go != QKeySequence::mnemonic(
                                       control<QAbstractButton>(window, "ribSelection3")->text()));
    // A text file stands for its own table.
    QCOMPARE(shownCaption(window, "lblRTable1"), QStringLiteral("customers.csv"));
    QCOMPARE(shownCaption(window, "lblRConnection2"), QStringLiteral("shop.db"));
    QCOMPARE(shownCaption(window, "lblRTable2"), QStringLiteral("Customers"));
    click(window, "cmdIndietro");
    QCOMPARE(window.selectedStep(), 2);
    QCOMPARE(shownCaption(window, "cmdAvanti"), resText(18, 0));
    click(window, "cmdAvanti");
    click(window, "cmdAvanti");

    QCOMPARE(files.sqlite(
                 "SELECT COUNT(*), SUM(Id), MIN(Name), MAX(CAST(Amount AS REAL)) FROM Customers"),
             std::string("12000|72006000|Customer 1|120000.5\n"));
    // One Completed row per progress report (every 1000 rows); the bar's maximum doubled
    // once the count reached it, and the bar ends full.
    const QStringList rows = stepRows(window);
    QCOMPARE(rows.size(), 12);
    QCOMPARE(rows.front(),
             "1000 rows have been transformed or copied.=" + resText(71, 0) + "/Corretto");
    QCOMPARE(rows.back(),
             "12000 rows have been transformed or copied.=" + resText(71, 0) + "/Corretto");
    auto* bar = control<QProgressBar>(window, "ProgressBar1");
    QCOMPARE(bar->maximum(), 20000);
    QCOMPARE(bar->value(), 20000);
    for (const auto& box : sink->boxes) QCOMPARE(box.title, wizard->AppName());
    QVERIFY(sink->busyCalls > 0 && !sink->busy);
    QVERIFY(window.isVisible());
  }

  void rejectedRowsAddOneErrorRow() {
    WindowAtExecution run(
        5, "CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL CHECK (Amount < 25))", 1);
    QCOMPARE(run.window->selectedStep(), 3);
    click(*run.window, "cmdAvanti");

    QCOMPARE(run.files.sqlite("SELECT Id FROM T ORDER BY Id"), std::string("1\n2\n"));
    const QStringList rows = stepRows(*run.window);
    QVERIFY2(!rows.isEmpty(), "no step rows");
    const QString errorRow = rows.back();
    const QString expectedStart = QString::fromStdString(kpx::substituteCarets(
                                      kpx::GetResText(549, kpx::kpxLanguageItalian), {"3"})) +
                                  " ";
    QVERIFY2(errorRow.startsWith(expectedStart), qPrintable(errorRow));
    QVERIFY2(errorRow.endsWith("=" + resText(70, 1) + "/scorretto"), qPrintable(errorRow));
    QVERIFY(errorRow.length() > expectedStart.length() + QString("=Errore/scorretto").length());
  }

  void failedRunShowsAnErrorRowAndLeavesTheDatabase() {
    WindowAtExecution run(
        5, "CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL); CREATE TABLE Other (x)");
    run.files.sqlite("DROP TABLE T");
    const QByteArray before = fileBytes(run.files.database());
    const size_t boxesBefore = run.sink->boxes.size();
    click(*run.window, "cmdAvanti");

    QCOMPARE(stepRows(*run.window), QStringList{"=" + resText(70, 0) + "/scorretto"});
    QCOMPARE(run.sink->boxes.size(), boxesBefore + 1);
    // The package's failure report, under the package's name, says what went wrong.
    const auto& report = run.sink->boxes.back();
    QCOMPARE(report.style, 16);
    QCOMPARE(report.title, std::string("KPX Wizard IO"));
    QVERIFY2(report.text.find("The table \"T\" does not exist") != std::string::npos,
             report.text.c_str());
    QCOMPARE(fileBytes(run.files.database()), before);
  }

  void autoCloseClosesAfterTheRun() {
    WindowAtExecution run(2, "CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL)");
    run.wizard->setAutoCloseWizard(true);
    run.wizard->setAskCloseConfirmation(true);
    click(*run.window, "cmdAvanti");
    QCOMPARE(run.files.sqlite("SELECT COUNT(*) FROM T"), std::string("2\n"));
    QVERIFY(!run.window->isVisible());
  }
};

QTEST_MAIN(FrmMainRunTest)
#include "frm_main_run_test.moc"
