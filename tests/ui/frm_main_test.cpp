// The main window's controls, captions, opening rules, step rules and closing, on real
// files; and transfers run from it: a configuration loaded with the Load button, the four
// steps walked by clicks, Execute, and what the step list and progress bar then show, the
// rows read back with the sqlite3 program.
#include <QAbstractButton>
#include <QComboBox>
#include <QKeySequence>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>

#include "data/mod_database.h"
#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "support/recording_sink.h"
#include "support/scratch.h"
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

class FrmMainTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  // Each test's wizard goes with its test, as a host closes its own.
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
    // A new table asked for outlives its wizard, as the module-wide flag does in a host.
    kpx::mainWindowState().NewTableRequested = false;
  }

  // Captions come from the text table in the wizard's language, and every control of every
  // step gets at least the room its caption asks for.
  void captionsFollowTheLanguageAndFit() {
    // An option and the step list, whose caption joins two texts.
    const std::pair<const char*, std::vector<int>> captions[] = {{"optHowModifyTable0", {23}},
                                                                 {"lstSteps", {64, 65}}};
    for (int language : {0, 1}) {
      auto wizard = kpx::cKPXWizard::create();
      wizard->setLanguage(language);
      wizard->setAppName("Importa");
      frmMain window(*wizard);
      window.show();
      QCOMPARE(window.windowTitle(), QStringLiteral("Importa - Version 1.0.1"));
      for (const auto& [name, numbers] : captions) {
        QStringList parts;
        for (int n : numbers) parts << resText(n, language);
        QCOMPARE(shownCaption(window, name), parts.join('|'));
      }
      QCOMPARE(kpx::test::clippedControl(window), QString());
    }
  }

  void openingStepFollowsTheConnections_data() {
    // Source defined, destination defined, mapping already run; then the opening step, the
    // Mapping and Execution buttons enabled, and the number of messages shown.
    QTest::addColumn<QString>("rule");
    for (const char* rule :
         {"110 0 00 0", "100 1 00 0", "010 0 00 0", "000 0 00 0", "111 3 11 0", "101 0 00 1"})
      QTest::newRow(rule) << QString::fromLatin1(rule);
  }
  void openingStepFollowsTheConnections() {
    QFETCH(QString, rule);
    const auto on = [&](int at) { return rule[at] == '1'; };
    const int step = rule[4].digitValue(), boxes = rule[9].digitValue();
    WizardFiles files;
    files.sqlite("CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL)");
    auto wizard = files.wizard();
    QVERIFY(wizard->LoadFromINIFile(
        files.writeConfiguration("T", false, 0, WizardFiles::Source::SqliteTable)));
    for (auto [connection, defined] :
         {std::pair{wizard->Source(), on(0)}, std::pair{wizard->Destination(), on(1)}})
      if (!defined) {
        connection->setDatabase("");
        connection->setTableName("");
      }
    wizard->setExecutedMapping(on(2));
    kpx::test::ScopedRecordingSink sink;
    frmMain window(*wizard);
    QCOMPARE(window.selectedStep(), step);
    QCOMPARE(control(window, "ribSelection2")->isEnabled(), on(6));
    QCOMPARE(control(window, "ribSelection3")->isEnabled(), on(7));
    QCOMPARE(int(sink->boxes.size()), boxes);
    if (boxes) {
      QCOMPARE(sink->boxes[0].text, kpx::GetResText(530, kpx::kpxLanguageEnglish));
    }
    for (int i = 0; i < 4; ++i)
      QCOMPARE(control(window, QStringLiteral("pnlControl%1").arg(i))->isVisibleTo(&window),
               i == step);
    if (step != 3) return;
    // Execute without a transformation runs nothing and says so.
    wizard->Transformations()->Reset();
    click(window, "cmdAvanti");
    QCOMPARE(int(sink->boxes.size()), 1);
    QCOMPARE(sink->boxes[0].text, kpx::GetResText(505, kpx::kpxLanguageEnglish));
    QCOMPARE(files.sqlite("SELECT COUNT(*) FROM T"), std::string("0\n"));
  }

  void tableButtonsAndIconsFollowKindsAndLocks_data() {
    // Source and destination kind, their locks, then the source table button shown /
    // enabled, the destination table button shown / enabled and the connection buttons
    // enabled, as 1 or 0, and the two icons.
    QTest::addColumn<QString>("rule");
    for (const char* rule :
         {"4 1 00 001111 ICO_WORD ICO_ACCESS", "3 4 00 110011 ICO_EXCEL ICO_WORD",
          "5 2 00 111111 ICO_HTM ICO_SQL", "10 8 10 101101 ICO_EXCEL ICO_EXCEL",
          "1 9 01 111010 ICO_ACCESS ICO_EXCEL", "4 4 11 000000 ICO_WORD ICO_WORD"})
      QTest::newRow(rule) << QString::fromLatin1(rule);
  }
  void tableButtonsAndIconsFollowKindsAndLocks() {
    QFETCH(QString, rule);
    const QStringList part = rule.split(' ');
    auto wizard = kpx::cKPXWizard::create();
    for (int side : {0, 1}) {
      const auto connection = side ? wizard->Destination() : wizard->Source();
      connection->setConType(part[side].toInt());
      connection->setDatabase("/data/file" + part[side].toStdString());
    }
    wizard->setLockSource(part[2][0] == '1');
    wizard->setLockDestination(part[2][1] == '1');
    frmMain window(*wizard);
    const auto flag = [&](const char* name, bool visible) {
      QWidget* widget = control(window, name);
      return visible ? !widget->isHidden() : widget->isEnabled();
    };
    QString actual;
    for (auto [name, shown] : {std::pair{"cmdInsertTableSource", true},
                               {"cmdInsertTableSource", false},
                               {"cmdInsertTableDestination", true},
                               {"cmdInsertTableDestination", false},
                               {"cmdInsertConnSource", false},
                               {"cmdInsertConnDestination", false}})
      actual += flag(name, shown) ? '1' : '0';
    QCOMPARE(actual, part[3]);
    QCOMPARE(control(window, "imgIcon1")->property("icon").toString(), part[4]);
    QCOMPARE(control(window, "imgIcon2")->property("icon").toString(), part[5]);
  }

  void connectionAndTableButtonsDefineBothSides() {
    WizardFiles files;
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    frmMain window(*wizard);
    window.show();
    std::string file;
    // Each dialog as a user fills it: an Access-kind database, then the first entry offered.
    window.setDialogRunner([&file](QDialog& dialog) {
      dialog.show();
      if (dialog.objectName() == QStringLiteral("frmConnection")) {
        auto* kinds = control<QComboBox>(dialog, "cmbConnection");
        kinds->setCurrentIndex(kinds->findText(QStringLiteral("ACCESS")));
        control<QLineEdit>(dialog, "txtDatabase")->setText(QString::fromStdString(file));
        click(dialog, "cmdInsert");
      } else {
        click(dialog, "cmdSeleziona");
      }
    });
    file = files.sourceDatabase();
    click(window, "cmdInsertConnSource");
    file = files.database();
    click(window, "cmdInsertConnDestination");
    QVERIFY(sink->boxes.empty());
    QCOMPARE(shownCaption(window, "lblConnection1"), QStringLiteral("ACCESS"));
    QCOMPARE(shownCaption(window, "lblTableSource"), QStringLiteral("Customers"));
    QCOMPARE(shownCaption(window, "lblTableDestination"), QStringLiteral("Customers"));
    QVERIFY(wizard->Destination()->CreatedDestinationTable() && !window.ConnectionUnchanged);
    QVERIFY(control(window, "ribSelection2")->isEnabled() &&
            control(window, "cmdAvanti")->isEnabled());
  }

  void tableButtonRefusesASourceWithoutTables() {
    WizardFiles files;
    const std::string db = files.folder() + "empty.db";
    kpx::modDatabase::CreaDataBase(db);
    auto wizard = files.wizard();
    kpx::clsConnection& source = *wizard->Source();
    source.setProvider(kpx::CONN_ACCESS);
    source.setMode(kpx::kpxSource);
    source.setDatabase(db);
    source.setConnectionString(source.CreateConnectionString());
    kpx::test::ScopedRecordingSink sink;
    frmMain window(*wizard);
    window.show();
    window.setDialogRunner([](QDialog&) { QFAIL("the picker opened"); });
    click(window, "cmdInsertTableSource");
    QCOMPARE(int(sink->boxes.size()), 1);
    QCOMPARE(sink->boxes[0].text, kpx::GetResText(506, kpx::kpxLanguageEnglish));
    QVERIFY(!control(window, "ribSelection2")->isEnabled());
  }

  void passwordBoxIsMasked() {
    auto wizard = kpx::cKPXWizard::create();
    wizard->Source()->setConType(2);
    wizard->Source()->setDatabase("Sales");
    wizard->Source()->setPassword("secret");
    frmMain window(*wizard);
    QCOMPARE(control<QLineEdit>(window, "lblPassword1")->displayText(), QStringLiteral("******"));
  }

  void closingAsksWhenTheWizardSaysSo_data() {
    QTest::addColumn<bool>("autoClose");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("escape");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<int>("boxes");
    QTest::newRow("asked, no") << false << true << int(kpx::vbNo) << false << true << 1;
    QTest::newRow("asked, yes") << false << true << int(kpx::vbYes) << false << false << 1;
    QTest::newRow("not asked") << false << false << int(kpx::vbNo) << false << false << 0;
    QTest::newRow("auto close never asks") << true << true << int(kpx::vbNo) << true << false << 0;
  }
  void closingAsksWhenTheWizardSaysSo() {
    QFETCH(bool, autoClose);
    QFETCH(bool, ask);
    QFETCH(int, answer);
    QFETCH(bool, escape);
    QFETCH(bool, staysOpen);
    QFETCH(int, boxes);
    auto wizard = kpx::cKPXWizard::create();
    wizard->setAutoCloseWizard(autoClose);
    wizard->setAskCloseConfirmation(ask);
    kpx::test::ScopedRecordingSink sink({answer});
    frmMain window(*wizard);
    window.show();
    if (escape)
      QTest::keyClick(&window, Qt::Key_Escape);
    else
      click(window, "cmdEsci");
    QCOMPARE(window.isVisible(), staysOpen);
    QCOMPARE(int(sink->boxes.size()), boxes);
    if (boxes) {
      QCOMPARE(sink->boxes[0].text, kpx::GetResText(509, kpx::kpxLanguageEnglish));
      QCOMPARE(sink->boxes[0].style, 36 + 256);
    }
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
    for (int step : {1, 2, 3}) {
      // Enter means Go wherever the focus is.
      if (step == 1)
        QTest::keyClick(control(window, "ribSelection0"), Qt::Key_Return);
      else
        click(window, "cmdAvanti");
      QCOMPARE(window.selectedStep(), step);
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

  // A wizard that closes by itself closes after any run, without asking.
  void failedRunShowsAnErrorRowLeavesTheDatabaseAndAutoCloses() {
    WindowAtExecution run(
        5, "CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL); CREATE TABLE Other (x)");
    run.files.sqlite("DROP TABLE T");
    run.wizard->setAutoCloseWizard(true);
    run.wizard->setAskCloseConfirmation(true);
    const std::string before = kpx::test::readFile(run.files.database());
    const size_t boxesBefore = run.sink->boxes.size();
    click(*run.window, "cmdAvanti");

    QCOMPARE(stepRows(*run.window), QStringList{"=" + resText(70, 0) + "/scorretto"});
    QCOMPARE(run.sink->boxes.size(), boxesBefore + 1);
    // The package's failure report, under the package's name, says what went wrong.
    const auto& report = run.sink->boxes.back();
    QCOMPARE(report.title, std::string("KPX Wizard IO"));
    QVERIFY2(report.text.find("The table \"T\" does not exist") != std::string::npos,
             report.text.c_str());
    QCOMPARE(kpx::test::readFile(run.files.database()), before);
    QVERIFY(!run.window->isVisible());
  }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
