// The Mapping step edited from the window: a CSV mapped onto an existing table with a
// constant and an ignored column, a new table defined in the grid, the existing rows deleted
// when the grid is applied, and the question asked when a changed mapping is left; the rows
// are read back with the sqlite3 program.
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include "config/mod_ini_api.h"
#include "kpxwizard/messages.h"
#include "support/command_output.h"
#include "support/libreoffice_csv.h"
#include "support/recording_sink.h"
#include "ui/frm_main.h"
#include "ui/icons.h"
#include "ui/mapping_grid.h"
#include "window_probe.h"
#include "wizard_files.h"

using kpx::test::click;
using kpx::test::control;
using kpx::test::resText;
using kpx::test::WizardFiles;
using kpx::ui::frmMain;

namespace {

QAbstractItemModel& grid(frmMain& window) {
  return *control<QTableView>(window, "tdbMain")->model();
}

// The grid row whose destination cell is `name`; -1 when there is none.
int rowOf(frmMain& window, const QString& name) {
  QAbstractItemModel& model = grid(window);
  for (int r = 0; r < model.rowCount(); ++r)
    if (model.index(r, 1).data(Qt::EditRole).toString() == name) return r;
  return -1;
}

// Types `text` as a person would: into whatever has the keyboard focus.
void type(const QString& text) {
  for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

bool choose(frmMain& window, const QString& destination, int column, const QString& value) {
  QAbstractItemModel& model = grid(window);
  return model.setData(model.index(rowOf(window, destination), column), value, Qt::EditRole);
}

// `config` without its transformations: loading it leaves the columns to the Mapping step.
std::string withoutTransformations(const std::string& config) {
  kpx::modINIApi::DeleteSection(config, "TRANSFORMATIONS");
  return config;
}

// `config` with its destination moved to the file `out`: a text file (delimited, or
// fixed-width when `format` is 2) or an Excel 2007 workbook given the new sheet `table`.
std::string withDestination(const std::string& config, const std::string& out,
                            const std::string& table, bool textFile, int format = 1) {
  WizardFiles::writeConnection(config, "DESTINATION",
                               textFile ? kpx::CONN_TEXTFILE : kpx::CONN_EXCEL, out, table,
                               !textFile, format);
  return config;
}

// Rows as "a|b|c" lines.
std::string joined(const kpx::test::CsvRows& rows) {
  std::string out;
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + row[i];
    out += "\n";
  }
  return out;
}

// A window on the wizard with `config` loaded, walked with Next to the Mapping step.
std::unique_ptr<frmMain> windowOnMapping(kpx::cKPXWizard& wizard, const std::string& config) {
  if (!wizard.LoadFromINIFile(config)) qFatal("cannot load %s", config.c_str());
  auto window = std::make_unique<frmMain>(wizard);
  window->show();
  click(*window, "cmdAvanti");
  click(*window, "cmdAvanti");
  return window;
}

// A window on `config`, loaded through the Load button (it lands on the Mapping step).
std::unique_ptr<frmMain> loadedWindow(kpx::cKPXWizard& wizard, const std::string& config) {
  auto window = std::make_unique<frmMain>(wizard);
  window->setFileChooser([config](bool) { return QString::fromStdString(config); });
  window->show();
  click(*window, "cmdLoadSave1");
  return window;
}

}  // namespace

class FrmMainMappingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
  }

  void csvOntoExistingTableWithConstantAndIgnoredColumn_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("en") << 0;
    QTest::newRow("it") << 1;
  }
  void csvOntoExistingTableWithConstantAndIgnoredColumn() {
    QFETCH(int, language);
    WizardFiles files(3);
    files.sqlite("CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL, Region TEXT)");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto window = windowOnMapping(
        *wizard, withoutTransformations(files.writeConfiguration("T", false, language)));
    QCOMPARE(window->selectedStep(), 2);
    auto* view = control<QTableView>(*window, "tdbMain");
    QStringList captions;
    for (int c = 0; c < 6; ++c) captions << grid(*window).headerData(c, Qt::Horizontal).toString();
    QCOMPARE(captions,
             (QStringList{resText(3, language), resText(4, language), resText(24, language),
                          resText(25, language), resText(26, language), resText(27, language)}));
    // Every destination column is a row, fed by the source column of its name.
    QCOMPARE(grid(*window).rowCount(), 4);
    // The source column fits its list's longest entry before any cell holds it.
    QVERIFY(view->columnWidth(0) >
            view->fontMetrics().horizontalAdvance(resText(67, language)) + 16);
    QCOMPARE(grid(*window).index(rowOf(*window, "Name"), 0).data().toString(),
             QStringLiteral("Name"));
    QCOMPARE(grid(*window).index(rowOf(*window, "Region"), 0).data().toString(), QString());

    // An unpaired source cell opens its list on the ignore entry, not the constant.
    const QModelIndex region = grid(*window).index(rowOf(*window, "Region"), 0);
    std::unique_ptr<QWidget> list(view->itemDelegate()->createEditor(view->viewport(), {}, region));
    view->itemDelegate()->setEditorData(list.get(), region);
    QCOMPARE(qobject_cast<QComboBox*>(list.get())->currentData().toString(), QStringLiteral("2"));
    QVERIFY(choose(*window, "Amount", 0, QStringLiteral("2")));
    QCOMPARE(grid(*window).index(rowOf(*window, "Amount"), 0).data().toString(),
             resText(66, language));
    // Choosing the constant moves to its cell, where typing edits and Enter commits.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    view->setFocus();
    QVERIFY(choose(*window, "Region", 0, QStringLiteral("1")));
    QCOMPARE(grid(*window).index(rowOf(*window, "Region"), 0).data().toString(),
             resText(67, language));
    QTRY_COMPARE(view->currentIndex(), grid(*window).index(rowOf(*window, "Region"), 5));
    type("North");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(grid(*window).index(rowOf(*window, "Region"), 5).data().toString(),
                 QStringLiteral("North"));
    // Escape leaves the cell as it was.
    type("South");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(QApplication::focusWidget() == view);
    QCOMPARE(grid(*window).index(rowOf(*window, "Region"), 5).data().toString(),
             QStringLiteral("North"));
    // Enter outside an editor stays in the grid rather than pressing the window's Go.
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(window->selectedStep(), 2);
    for (int c = 0; c < 5; ++c)
      QVERIFY2(view->columnWidth(c) >= view->horizontalHeader()->sectionSizeHint(c),
               qPrintable(captions[c]));

    click(*window, "ribSelection3");
    QCOMPARE(window->selectedStep(), 3);
    QCOMPARE(wizard->Transformations()->Count(), 3);
    click(*window, "cmdAvanti");
    QCOMPARE(
        files.sqlite("SELECT Id, Name, quote(Amount), Region FROM T ORDER BY Id"),
        std::string("1|Customer 1|NULL|North\n2|Customer 2|NULL|North\n3|Customer 3|NULL|North\n"));
  }

  void newTableDefinedInTheGrid() {
    WizardFiles files(2);
    files.sqlite("CREATE TABLE Other (x)");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto shown =
        windowOnMapping(*wizard, withoutTransformations(files.writeConfiguration("Fresh", true)));
    frmMain& window = *shown;
    QCOMPARE(window.CreateTable, 1);
    QVERIFY(!control(window, "fraOption")->isVisible());
    QCOMPARE(grid(window).rowCount(), 3);
    // Each new column starts fed by the source column of its position.
    QCOMPARE(grid(window).index(1, 0).data().toString(), QStringLiteral("Name"));
    QVERIFY(choose(window, "Id", 2, QStringLiteral("Long")));
    QVERIFY(choose(window, "Id", 4, QStringLiteral("NOT NULL")));
    QVERIFY(choose(window, "Name", 3, QStringLiteral("40")));
    QVERIFY(choose(window, "Name", 1, QStringLiteral("FullName")));
    QVERIFY(choose(window, "Amount", 2, QStringLiteral("Double")));
    // A size belongs to the length-bearing types only.
    QVERIFY(!choose(window, "Amount", 3, QStringLiteral("8")));

    click(window, "ribSelection3");
    QCOMPARE(window.selectedStep(), 3);
    QCOMPARE(window.CreateTable, 2);
    QCOMPARE(
        files.sqlite(".schema Fresh"),
        std::string(
            "CREATE TABLE `Fresh` (\r\n`Id` Long NOT NULL,\r\n`FullName` VarChar (40) NULL,\r\n"
            "`Amount` Double NULL\r\n);\n"));
    click(window, "cmdAvanti");
    QCOMPARE(files.sqlite("SELECT Id, FullName, Amount FROM Fresh ORDER BY Id"),
             std::string("1|Customer 1|10.5\n2|Customer 2|20.5\n"));
  }

  // A CSV mapped in the window into a text file, whose column names come from the grid's
  // used rows, and into a workbook sheet, where an ignored column stays empty: a sheet the
  // column builder created on loading, or one whose types and sizes are typed into the grid
  // after walking here with Next. The files are read back by Python's csv module and by
  // LibreOffice.
  void csvIntoTextFileOrWorkbook_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("walked");
    QTest::addColumn<QString>("expected");
    // What the destination connection keeps of the grid, as a saved configuration shows it.
    QTest::addColumn<QString>("columnNames");
    const QString text = "Id|Name\n1|Customer 1\n2|Customer 2\n";
    const QString sheet = "Id|Name|Amount\n1|Customer 1|\n2|Customer 2|\n";
    QTest::newRow("text file loaded") << "out.csv" << false << text << "Id,Name";
    QTest::newRow("text file walked") << "out.csv" << true << text << "Id,Name";
    QTest::newRow("sheet made on loading") << "out.xlsx" << false << sheet << "";
    QTest::newRow("sheet defined in the grid") << "out.xlsx" << true << sheet << "";
  }
  void csvIntoTextFileOrWorkbook() {
    QFETCH(QString, file);
    QFETCH(bool, walked);
    QFETCH(QString, expected);
    QFETCH(QString, columnNames);
    WizardFiles files(2);
    const bool textFile = file.endsWith(".csv");
    const std::string out = files.folder() + file.toStdString();
    // A destination is a file that exists: an empty text file, or a workbook given a new sheet.
    const std::string table = textFile ? out : "Customers";
    if (textFile)
      QVERIFY(QFile(QString::fromStdString(out)).open(QIODevice::WriteOnly));
    else
      QVERIFY(QFile::copy(KPX_TEST_DATA "/excel/items_2007.xlsx", QString::fromStdString(out)));
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    const std::string config = withoutTransformations(
        withDestination(files.writeConfiguration(table, false), out, table, textFile));
    auto shown = walked ? windowOnMapping(*wizard, config) : loadedWindow(*wizard, config);
    frmMain& window = *shown;
    QCOMPARE(window.selectedStep(), 2);
    QCOMPARE(grid(window).rowCount(), 3);
    QCOMPARE(window.CreateTable, !textFile && walked ? 1 : 2);
    if (window.CreateTable == 1) {
      QVERIFY(choose(window, "Id", 2, QStringLiteral("Long")));
      QVERIFY(choose(window, "Name", 2, QStringLiteral("VarChar")));
      QVERIFY(choose(window, "Name", 3, QStringLiteral("40")));
    }
    QVERIFY(choose(window, "Amount", 0, QStringLiteral("2")));

    click(window, "ribSelection3");
    QCOMPARE(window.selectedStep(), 3);
    QCOMPARE(QString::fromStdString(wizard->Destination()->ColumnNames()), columnNames);
    click(window, "cmdAvanti");
    kpx::test::CsvRows rows;
    if (textFile) {
      int status = 0;
      rows = kpx::test::parseCsv(kpx::test::commandOutput(
          "python3 -c 'import csv, sys; csv.writer(sys.stdout).writerows(csv.reader(open("
          "sys.argv[1], newline=\"\")))' " +
              kpx::test::shellQuote(out),
          &status));
      QCOMPARE(status, 0);
    } else {
      if (!kpx::test::haveLibreOffice()) QSKIP("LibreOffice is not installed");
      rows = kpx::test::canonicalNumbers(
          kpx::test::libreOfficeSheets(out, files.folder() + "lo")["Customers"]);
    }
    QCOMPARE(QString::fromStdString(joined(rows)), expected);
  }

  // A fixed-width text file needs a width for every mapped column.
  void textColumnWithoutSizeIsRefused_data() {
    QTest::addColumn<QString>("size");
    QTest::newRow("zero") << "0";
    QTest::newRow("empty") << "";
  }
  void textColumnWithoutSizeIsRefused() {
    QFETCH(QString, size);
    WizardFiles files(2);
    const std::string out = files.folder() + "out.txt";
    QVERIFY(QFile(QString::fromStdString(out)).open(QIODevice::WriteOnly));
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto window =
        windowOnMapping(*wizard, withoutTransformations(withDestination(
                                     files.writeConfiguration(out, false), out, out, true, 2)));
    QCOMPARE(grid(*window).rowCount(), 3);
    // The grid keeps a row's width as its column had it; a width lost on the way is refused.
    dynamic_cast<kpx::ui::MappingGridModel&>(grid(*window)).change([&](kpx::ui::MappingRows& rows) {
      rows.setCell(rowOf(*window, "Name"), kpx::ui::MapSize, size.toStdString());
    });
    click(*window, "ribSelection3");
    QCOMPARE(window->selectedStep(), 1);
    QCOMPARE(sink->boxes.back().text, kpx::GetResText(531, kpx::kpxLanguageEnglish));
  }

  void newTableRowsAreChecked_data() {
    QTest::addColumn<QString>("secondName");
    QTest::addColumn<int>("message");
    QTest::newRow("nothing used") << QString() << 511;
    QTest::newRow("name twice in another case") << QStringLiteral("ID") << 512;
  }
  void newTableRowsAreChecked() {
    QFETCH(QString, secondName);
    QFETCH(int, message);
    WizardFiles files(2);
    files.sqlite("CREATE TABLE Other (x)");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto shown =
        windowOnMapping(*wizard, withoutTransformations(files.writeConfiguration("Fresh", true)));
    frmMain& window = *shown;
    for (const char* name : {"Id", "Name", "Amount"}) {
      const bool keep = !secondName.isEmpty() && QString(name) != "Amount";
      QVERIFY(choose(window, name, 0, keep ? QString(name) : QStringLiteral("2")));
      if (!keep) QVERIFY(choose(window, name, 1, QStringLiteral("2")));
    }
    if (!secondName.isEmpty()) QVERIFY(choose(window, "Name", 1, secondName));
    click(window, "ribSelection3");
    // The grid cannot be applied: the window goes back to the Destination step.
    QCOMPARE(window.selectedStep(), 1);
    QCOMPARE(sink->boxes.back().text, kpx::GetResText(message, kpx::kpxLanguageEnglish));
    QCOMPARE(sink->boxes.back().style, 48);
    QCOMPARE(files.sqlite("SELECT count(*) FROM sqlite_master WHERE name = 'Fresh'"),
             std::string("0\n"));
  }

  void deleteOptionEmptiesTheTableInTheRun() {
    WizardFiles files(2);
    files.sqlite(
        "CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL); INSERT INTO T VALUES (9, 'old', 1)");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto window = loadedWindow(*wizard, files.writeConfiguration("T", false));
    click(*window, "optHowModifyTable0");
    click(*window, "ribSelection3");
    QCOMPARE(window->selectedStep(), 3);
    // The old rows go in the run's own transaction, so a run that fails keeps them.
    QCOMPARE(files.sqlite("SELECT count(*) FROM T"), std::string("1\n"));
    click(*window, "cmdAvanti");
    QCOMPARE(files.sqlite("SELECT count(*), min(Id) FROM T"), std::string("2|1\n"));
  }

  void leavingAChangedMappingAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("installed");
    QTest::newRow("yes") << int(kpx::vbYes) << 2;
    QTest::newRow("no") << int(kpx::vbNo) << 0;
  }
  void leavingAChangedMappingAsks() {
    QFETCH(int, answer);
    QFETCH(int, installed);
    WizardFiles files(2);
    files.sqlite("CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL)");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink({answer});
    auto window =
        windowOnMapping(*wizard, withoutTransformations(files.writeConfiguration("T", false)));
    QVERIFY(choose(*window, "Amount", 0, QStringLiteral("2")));
    const size_t before = sink->boxes.size();
    click(*window, "ribSelection0");
    QCOMPARE(sink->boxes.size(), before + 1);
    QCOMPARE(sink->boxes.back().text, kpx::GetResText(532, kpx::kpxLanguageEnglish));
    QCOMPARE(sink->boxes.back().style, int(kpx::vbQuestionYesNo));
    QCOMPARE(wizard->Transformations()->Count(), installed);

    // Back on the step and out again unchanged: only a mapping that was not kept is offered.
    click(*window, "ribSelection2");
    sink->boxes.clear();
    click(*window, "ribSelection1");
    QCOMPARE(int(sink->boxes.size()), answer == kpx::vbNo ? 1 : 0);
  }
};

QTEST_MAIN(FrmMainMappingTest)
#include "frm_main_mapping_test.moc"
