// The Mapping step edited from the window: a CSV mapped onto an existing table with a
// constant and an ignored column, a new table defined in the grid, the existing rows deleted
// when the grid is applied, and the question asked when a changed mapping is left; the rows
// are read back with the sqlite3 program. Then the grid without a window: the keys that
// start an edit in each cell, and a row that makes no table.
#include <QComboBox>
#include <QFile>
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
using kpx::ui::MappingGridModel;
using kpx::ui::MappingRows;
using Row = MappingRows::Row;

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

// A row feeding `destination` from `source` ("1" constant, "2" ignore) with a type and size.
Row row(std::string source, std::string destination, std::string type = "VarChar",
        std::string size = "50", std::string constant = "") {
  return {std::move(source),  std::move(destination), std::move(type), std::move(size), "NULL",
          std::move(constant)};
}

}  // namespace

class FrmMainMappingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
  }

  void csvOntoExistingTableWithConstantAndIgnoredColumn_data() { kpx::test::addLanguageRows(); }
  void csvOntoExistingTableWithConstantAndIgnoredColumn() {
    QFETCH(int, language);
    WizardFiles files(3);
    files.sqlite(
        "CREATE TABLE T (ID INTEGER, Name TEXT, Amount REAL, Region TEXT); "
        "INSERT INTO T VALUES (9, 'old', 1, 'x')");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto window = windowOnMapping(
        *wizard, withoutTransformations(files.writeConfiguration("T", false, language)));
    QCOMPARE(window->selectedStep(), 2);
    kpx::test::snapshot(*window, "frmMain-mapping", language);
    auto* view = control<QTableView>(*window, "tdbMain");
    QCOMPARE(grid(*window).headerData(2, Qt::Horizontal).toString(), resText(24, language));
    // The source column fits its list's longest entry before any cell holds it.
    QVERIFY(view->columnWidth(0) >
            view->fontMetrics().horizontalAdvance(resText(67, language)) + 16);
    // Each destination column is fed by the source column of its name, in any case (the run
    // below reads back ID).
    QCOMPARE(grid(*window).index(rowOf(*window, "Name"), 0).data().toString(),
             QStringLiteral("Name"));
    QCOMPARE(grid(*window).index(rowOf(*window, "Region"), 0).data().toString(), QString());
    // Onto an existing table only what feeds a column changes.
    QVERIFY(!choose(*window, "Name", 2, QStringLiteral("Long")));

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
    // Enter outside an editor stays in the grid rather than pressing the window's Go.
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(window->selectedStep(), 2);
    kpx::test::snapshot(*window, "frmMain-mapping-existing", language);

    // The existing rows are to be deleted: they go in the run's own transaction, so a run that
    // fails keeps them.
    click(*window, "optHowModifyTable0");
    click(*window, "ribSelection3");
    QCOMPARE(window->selectedStep(), 3);
    QCOMPARE(wizard->Transformations()->Count(), 3);
    QCOMPARE(files.sqlite("SELECT count(*) FROM T"), std::string("1\n"));
    click(*window, "cmdAvanti");
    QCOMPARE(
        files.sqlite("SELECT Id, Name, quote(Amount), Region FROM T ORDER BY Id"),
        std::string("1|Customer 1|NULL|North\n2|Customer 2|NULL|North\n3|Customer 3|NULL|North\n"));
    kpx::test::snapshot(*window, "frmMain-execution", language);
    click(*window, "ribSelection0");
    kpx::test::snapshot(*window, "frmMain-source", language);
    click(*window, "ribSelection1");
    kpx::test::snapshot(*window, "frmMain-destination", language);
    // Back on the mapping, the grid shows the transformations that ran.
    click(*window, "ribSelection2");
    QCOMPARE(grid(*window).index(rowOf(*window, "Name"), 0).data().toString(),
             QStringLiteral("Name"));
    QCOMPARE(grid(*window).index(rowOf(*window, "Region"), 5).data().toString(),
             QStringLiteral("North"));
  }

  void newTableDefinedInTheGrid_data() { kpx::test::addLanguageRows(); }
  void newTableDefinedInTheGrid() {
    QFETCH(int, language);
    WizardFiles files(2);
    files.sqlite("CREATE TABLE Other (x)");
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto shown = windowOnMapping(
        *wizard, withoutTransformations(files.writeConfiguration("Fresh", true, language)));
    frmMain& window = *shown;
    kpx::test::snapshot(window, "frmMain-mapping-new", language);
    QCOMPARE(window.CreateTable, 1);
    QVERIFY(!control(window, "fraOption")->isVisible());
    // Each new column starts fed by the source column of its position.
    QCOMPARE(grid(window).index(1, 0).data().toString(), QStringLiteral("Name"));
    QVERIFY(choose(window, "Id", 2, QStringLiteral("Long")));
    QVERIFY(choose(window, "Id", 4, QStringLiteral("NOT NULL")));
    QVERIFY(choose(window, "Name", 3, QStringLiteral("40")));
    QVERIFY(choose(window, "Name", 1, QStringLiteral("FullName")));
    QVERIFY(choose(window, "Amount", 2, QStringLiteral("Double")));
    // One source column may feed two destination columns.
    QVERIFY(choose(window, "Amount", 0, QStringLiteral("Id")));
    // A size belongs to the length-bearing types only, and takes digits only.
    QVERIFY(!choose(window, "Amount", 3, QStringLiteral("8")));
    for (const char* typed : {"4a", "-5", "1.5"}) QVERIFY(!choose(window, "FullName", 3, typed));

    click(window, "ribSelection3");
    QCOMPARE(window.selectedStep(), 3);
    QCOMPARE(
        files.sqlite(".schema Fresh"),
        std::string(
            "CREATE TABLE `Fresh` (\r\n`Id` Long NOT NULL,\r\n`FullName` VarChar (40) NULL,\r\n"
            "`Amount` Double NULL\r\n);\n"));
    click(window, "cmdAvanti");
    QCOMPARE(files.sqlite("SELECT Id, FullName, Amount FROM Fresh ORDER BY Id"),
             std::string("1|Customer 1|1.0\n2|Customer 2|2.0\n"));
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
    // The names and widths the destination connection keeps of the grid, as a saved
    // configuration shows them.
    QTest::addColumn<QString>("columns");
    const QString text = "[['Id', 'Name'], ['1', 'Customer 1'], ['2', 'Customer 2']]\n";
    const QString sheet = "Id|Name|Amount\n1|Customer 1|\n2|Customer 2|\n";
    QTest::newRow("text file loaded") << "out.csv" << false << text << "Id,Name|255,255";
    QTest::newRow("sheet made on loading") << "out.xlsx" << false << sheet << "|";
    QTest::newRow("sheet defined in the grid") << "out.xlsx" << true << sheet << "|";
  }
  void csvIntoTextFileOrWorkbook() {
    QFETCH(QString, file);
    QFETCH(bool, walked);
    QFETCH(QString, expected);
    QFETCH(QString, columns);
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
    QCOMPARE(window.CreateTable, !textFile && walked ? 1 : 2);
    if (window.CreateTable == 1) {
      QVERIFY(choose(window, "Id", 2, QStringLiteral("Long")));
      QVERIFY(choose(window, "Name", 2, QStringLiteral("VarChar")));
      QVERIFY(choose(window, "Name", 3, QStringLiteral("40")));
    }
    QVERIFY(choose(window, "Amount", 0, QStringLiteral("2")));

    click(window, "ribSelection3");
    QCOMPARE(window.selectedStep(), 3);
    const kpx::clsConnection& destination = *wizard->Destination();
    QCOMPARE(QString::fromStdString(destination.ColumnNames() + "|" + destination.ColumnLengths()),
             columns);
    click(window, "cmdAvanti");
    if (textFile) {
      QCOMPARE(QString::fromStdString(kpx::test::pythonCsvRows(out)), expected);
      return;
    }
    if (!kpx::test::haveLibreOffice()) QSKIP("LibreOffice is not installed");
    QCOMPARE(QString::fromStdString(joined(kpx::test::canonicalNumbers(
                 kpx::test::libreOfficeSheets(out, files.folder() + "lo")["Customers"]))),
             expected);
  }

  // A grid that cannot be applied sends the window back to the Destination step, saying why:
  // a fixed-width text file needs a width for every mapped column (the grid keeps a row's
  // width as its column had it, so a width lost on the way is refused); a new table needs a
  // used row, and names that differ in more than their case.
  void gridThatCannotBeAppliedIsRefused_data() {
    QTest::addColumn<bool>("textFile");
    QTest::addColumn<QString>("edit");  // the Name row's width, or a new table's second name
    QTest::addColumn<int>("message");
    QTest::newRow("text width zero") << true << "0" << 531;
    QTest::newRow("nothing used") << false << QString() << 511;
    QTest::newRow("name twice in another case") << false << QStringLiteral("ID") << 512;
  }
  void gridThatCannotBeAppliedIsRefused() {
    QFETCH(bool, textFile);
    QFETCH(QString, edit);
    QFETCH(int, message);
    WizardFiles files(2);
    files.sqlite("CREATE TABLE Other (x)");
    const std::string out = files.folder() + "out.txt";
    QVERIFY(QFile(QString::fromStdString(out)).open(QIODevice::WriteOnly));
    auto wizard = files.wizard();
    kpx::test::ScopedRecordingSink sink;
    auto shown = windowOnMapping(
        *wizard,
        withoutTransformations(
            textFile ? withDestination(files.writeConfiguration(out, false), out, out, true, 2)
                     : files.writeConfiguration("Fresh", true)));
    frmMain& window = *shown;
    if (textFile) {
      dynamic_cast<MappingGridModel&>(grid(window)).change([&](MappingRows& rows) {
        rows.setCell(rowOf(window, "Name"), kpx::ui::MapSize, edit.toStdString());
      });
    } else {
      for (const char* name : {"Id", "Name", "Amount"}) {
        const bool keep = !edit.isEmpty() && QString(name) != "Amount";
        QVERIFY(choose(window, name, 0, keep ? QString(name) : QStringLiteral("2")));
        if (!keep) QVERIFY(choose(window, name, 1, QStringLiteral("2")));
      }
      if (!edit.isEmpty()) QVERIFY(choose(window, "Name", 1, edit));
    }
    click(window, "ribSelection3");
    QCOMPARE(window.selectedStep(), 1);
    QCOMPARE(sink->boxes.back().text, kpx::GetResText(message, kpx::kpxLanguageEnglish));
    QCOMPARE(files.sqlite("SELECT count(*) FROM sqlite_master WHERE name = 'Fresh'"),
             std::string("0\n"));
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

  // The grid's rows and model without a window.
  void keysThatStartAnEdit_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("editor");  // class of the editor opened, empty for none
    const int none = Qt::NoModifier, alt = Qt::AltModifier;
    // Lists are chosen from, never typed into; sizes take digits; constants need a constant row.
    QTest::newRow("letter on source") << 0 << 0 << int(Qt::Key_A) << none << "";
    QTest::newRow("letter on size") << 0 << 3 << int(Qt::Key_A) << none << "";
    QTest::newRow("digit on size") << 0 << 3 << int(Qt::Key_5) << none << "QExpandingLineEdit";
    QTest::newRow("letter on new name") << 0 << 1 << int(Qt::Key_X) << none << "QComboBox";
    QTest::newRow("letter on copy row's constant") << 0 << 5 << int(Qt::Key_X) << none << "";
    QTest::newRow("letter on constant row's constant")
        << 1 << 5 << int(Qt::Key_X) << none << "QExpandingLineEdit";
    QTest::newRow("F2 on source") << 0 << 0 << int(Qt::Key_F2) << none << "QComboBox";
    QTest::newRow("Alt+Down on source") << 0 << 0 << int(Qt::Key_Down) << alt << "QComboBox";
  }
  void keysThatStartAnEdit() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, editor);
    MappingGridModel model;
    model.change([](MappingRows& rows) {
      rows.setCreateTable(1);
      rows.setSourceColumns({"Id"});
      rows.setRows({::row("Id", "Id"), ::row("1", "Code")});
    });
    kpx::ui::MappingGridView view;
    view.setMappingModel(&model);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.setCurrentIndex(model.index(row, column));
    QTest::keyClick(&view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QWidget* opened = view.indexWidget(model.index(row, column));
    QCOMPARE(opened ? QString::fromLatin1(opened->metaObject()->className()) : QString(), editor);
  }

  // A row whose source feeds no column name leaves the grid with no table to make.
  void rowFeedingNoNameGivesNoStructure() {
    MappingRows grid;
    grid.setRows({row("Id", "A"), row("Name", "")});
    kpx::modDatabase::StructureArray structure;
    QCOMPARE(int(grid.fillStructure(structure)), -3);
  }
};

QTEST_MAIN(FrmMainMappingTest)
#include "frm_main_mapping_test.moc"
