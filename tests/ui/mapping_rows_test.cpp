// The mapping grid's rows and model without a window: which cells can be edited, what the
// lists offer and the cells show, and what the rows become (a table structure, a
// transformation set).
#include <QTest>

#include "kpxwizard/messages.h"
#include "ui/mapping_grid.h"
#include "window_probe.h"

using kpx::test::resText;
using kpx::ui::MappingGridModel;
using kpx::ui::MappingRows;
using Row = MappingRows::Row;

namespace {

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

class MappingRowsTest : public QObject {
  Q_OBJECT

 private slots:
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

  void sizeCellsTakeDigitsOnly_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digits") << "120" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("letter") << "12a" << false;
    QTest::newRow("sign") << "-5" << false;
    QTest::newRow("decimal point") << "1.5" << false;
  }
  void sizeCellsTakeDigitsOnly() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    MappingGridModel model;
    model.change([](MappingRows& rows) {
      rows.setCreateTable(1);
      rows.setRows({row("Id", "Col", "VarChar", "50")});
    });
    QCOMPARE(model.setData(model.index(0, kpx::ui::MapSize), typed, Qt::EditRole), accepted);
    QCOMPARE(model.index(0, kpx::ui::MapSize).data(Qt::EditRole).toString(),
             accepted ? typed : QStringLiteral("50"));
    QVERIFY(MappingRows::acceptsSizeKey('\b'));
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

QTEST_MAIN(MappingRowsTest)
#include "mapping_rows_test.moc"
