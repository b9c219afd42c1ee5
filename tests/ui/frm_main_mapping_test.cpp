// The Mapping step edited from the window: a CSV mapped onto an existing table with a
// constant and an ignored column, a new table defined in the grid, the existing rows deleted
// when the grid is applied, and the question asked when a changed mapping is left; the rows
// are read back with the sqlite3 program. Then the grid's rows and model without a window:
// which cells can be edited, what the lists offer and the cells show, and what the rows
// become (a table structure, a transformation set).
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

std::shared_ptr<kpx::clsConnection> connectionWith(const std::vector<std::string>& names) {
  auto connection = std::make_shared<kpx::clsConnection>();
  for (const auto& name : names) connection->Columns()->Add(name);
  return connection;
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
    files.sqlite(
        "CREATE TABLE T (Id INTEGER, Name TEXT, Amount REAL, Region TEXT); "
        "INSERT INTO T VALUES (9, 'old', 1, 'x')");
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
    // A size belongs to the length-bearing types only, and takes digits only.
    QVERIFY(!choose(window, "Amount", 3, QStringLiteral("8")));
    for (const char* typed : {"4a", "-5", "1.5"}) QVERIFY(!choose(window, "FullName", 3, typed));

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
    const QString text = "[['Id', 'Name'], ['1', 'Customer 1'], ['2', 'Customer 2']]\n";
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
    QTest::newRow("text width empty") << true << "" << 531;
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
    QCOMPARE(grid(window).rowCount(), 3);
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
    QCOMPARE(sink->boxes.back().style, 48);
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
  void editingRules_data() {
    // Create-table mode, source cell, type, then one character per column 0..5 saying whether
    // it can be edited. Onto an existing table only what feeds a column changes; a new
    // table's size only for the length-bearing types; a constant only on a constant row.
    QTest::addColumn<QString>("rule");
    for (const char* rule : {"2 Id VarChar 100000", "2 1 Long 100001", "2 2 VarChar 100000",
                             "1 Id VarChar 111110", "1 Id nvarchar 111110", "1 1 char 111111",
                             "1 Id Long 111010", "1 1 Datetime 111011", "1 Id varchar 111010"})
      QTest::newRow(rule) << QString::fromLatin1(rule);
  }
  void editingRules() {
    QFETCH(QString, rule);
    const QStringList part = rule.split(' ');
    MappingGridModel model;
    model.change([&](MappingRows& rows) {
      rows.setCreateTable(part[0].toInt());
      rows.setRows({row(part[1].toStdString(), "Col", part[2].toStdString())});
    });
    QString actual;
    for (int column = 0; column < kpx::ui::MapColumnCount; ++column)
      actual += model.flags(model.index(0, column)) & Qt::ItemIsEditable ? '1' : '0';
    QCOMPARE(actual, part[3]);
  }

  void keysThatStartAnEdit_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("editor");  // class of the editor opened, empty for none
    const int none = Qt::NoModifier, alt = Qt::AltModifier;
    // Lists are chosen from, never typed into; sizes take digits; constants need a constant row.
    QTest::newRow("letter on source") << 0 << 0 << int(Qt::Key_A) << none << "";
    QTest::newRow("letter on type") << 0 << 2 << int(Qt::Key_A) << none << "";
    QTest::newRow("letter on size") << 0 << 3 << int(Qt::Key_A) << none << "";
    QTest::newRow("digit on size") << 0 << 3 << int(Qt::Key_5) << none << "QExpandingLineEdit";
    QTest::newRow("letter on new name") << 0 << 1 << int(Qt::Key_X) << none << "QComboBox";
    QTest::newRow("letter on copy row's constant") << 0 << 5 << int(Qt::Key_X) << none << "";
    QTest::newRow("letter on constant row's constant")
        << 1 << 5 << int(Qt::Key_X) << none << "QExpandingLineEdit";
    QTest::newRow("F2 on source") << 0 << 0 << int(Qt::Key_F2) << none << "QComboBox";
    QTest::newRow("Alt+Down on source") << 0 << 0 << int(Qt::Key_Down) << alt << "QComboBox";
    QTest::newRow("Alt+Down on null") << 0 << 4 << int(Qt::Key_Down) << alt << "QComboBox";
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

  void structureCodes_data() {
    QTest::addColumn<std::vector<Row>>("rows");
    QTest::addColumn<int>("code");
    QTest::newRow("no rows") << std::vector<Row>{} << -6;
    QTest::newRow("source without destination")
        << std::vector<Row>{row("Id", "A"), row("Name", "")} << -3;
    QTest::newRow("ignored source without destination")
        << std::vector<Row>{row("Id", "A"), row("2", "")} << 1;
    QTest::newRow("nothing used") << std::vector<Row>{row("", "2"), row("", "")} << -4;
    QTest::newRow("names differing in case")
        << std::vector<Row>{row("Id", "Name"), row("Name", "NAME")} << -2;
    QTest::newRow("distinct names") << std::vector<Row>{row("Id", "Id"), row("Name", "Name")} << 1;
  }
  void structureCodes() {
    QFETCH(std::vector<Row>, rows);
    QFETCH(int, code);
    MappingRows grid;
    grid.setRows(rows);
    kpx::modDatabase::StructureArray structure;
    QCOMPARE(int(grid.fillStructure(structure)), code);
  }

  void rowsBecomeTransformations() {
    MappingRows grid;
    grid.setRows({row("1", "Region", "VarChar", "10", "North"), row("2", "Skipped"),
                  row("Name", "Title"), row("Id", "2"), row("Amount", "Total", "Double", "8")});
    auto source = connectionWith({"Id", "Name", "Amount"});
    auto destination = connectionWith({"Region", "Skipped", "Title", "Total"});
    kpx::clsTransformations set;
    set.Add("old");
    std::string names, sizes;
    grid.copyTransformations(set, *source, *destination, names, sizes);
    QCOMPARE(set.Count(), 3);
    QCOMPARE(set.Item(1)->Name(), std::string("tra_01"));
    QCOMPARE(set.Item(1)->TransformationType(), int(kpx::kpxConstantColumn));
    QCOMPARE(set.Item(1)->ConstantValue(), std::string("North"));
    QCOMPARE(set.Item(1)->SourceFields()->Count(), 0);
    // Rows with an ignored source or destination feed nothing; names keep their row index.
    QCOMPARE(set.Item(2)->Name(), std::string("tra_2Name"));
    QCOMPARE(set.Item(2)->TransformationType(), int(kpx::kpxCopyColumn));
    QCOMPARE(set.Item(2)->SourceFields()->Item(1).get(), source->Columns()->Item("Name").get());
    QCOMPARE(set.Item(3)->Name(), std::string("tra_4Amount"));
    QCOMPARE(set.Item(3)->DestinationFields()->Item(1)->Name(), std::string("Total"));
    QCOMPARE(names, std::string("Region,Title,Total"));
    QCOMPARE(sizes, std::string("10,50,8"));
  }

  void transformationsShowInTheirRows() {
    auto source = connectionWith({"Id", "Name"});
    auto destination = connectionWith({"A", "B", "C"});
    kpx::clsTransformations set;
    auto copy = set.Add("t1");
    copy->SourceFields()->AddColumn(source->Columns()->Item("Name"));
    copy->DestinationFields()->AddColumn(destination->Columns()->Item("C"));
    auto constant = set.Add("t2");
    constant->setTransformationType(kpx::kpxConstantColumn);
    constant->setConstantValue("7");
    constant->DestinationFields()->AddColumn(destination->Columns()->Item("A"));
    auto elsewhere = set.Add("t3");
    elsewhere->DestinationFields()->Add("Gone");
    MappingRows grid;
    grid.fillDestination(*destination);
    grid.fillFromTransformations(set);
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.cell(0, 0) + "|" + grid.cell(0, 5), std::string("1|7"));
    QCOMPARE(grid.cell(1, 0), std::string());
    QCOMPARE(grid.cell(2, 0), std::string("Name"));
  }

  void unmappedRowsPairByName() {
    MappingRows grid;
    grid.setSourceColumns({"Id", "NAME", "Extra"});
    grid.setRows({row("", "id"), row("", "Name"), row("Extra", "Other"), row("", "Missing")});
    grid.pairByName();
    QCOMPARE(
        grid.cell(0, 0) + "|" + grid.cell(1, 0) + "|" + grid.cell(2, 0) + "|" + grid.cell(3, 0),
        std::string("Id|NAME|Extra|"));
  }
};

QTEST_MAIN(FrmMainMappingTest)
#include "frm_main_mapping_test.moc"
