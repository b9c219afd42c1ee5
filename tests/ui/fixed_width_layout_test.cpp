// The fixed-width editor's rules without its window: the ruler over the previewed columns,
// boundaries added and removed by clicks, fields guessed from blank columns, and the checks
// a field list passes before it is handed back.
#include <QTest>

#include "ui/fixed_width_layout.h"

using kpx::ui::FieldRow;
using kpx::ui::FixedWidthLayout;

namespace {

// "Name:5,Town:10" as fields, and back.
std::vector<FixedWidthLayout::Field> parse(const QString& text) {
  std::vector<FixedWidthLayout::Field> fields;
  for (const QString& field : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
    fields.push_back(
        {field.section(QLatin1Char(':'), 0, 0), field.section(QLatin1Char(':'), 1).toInt()});
  return fields;
}

QString shown(const FixedWidthLayout& layout) {
  QStringList fields;
  for (const auto& field : layout.fields())
    fields << QStringLiteral("%1:%2").arg(field.name).arg(field.length);
  return fields.join(QLatin1Char(','));
}

std::vector<FieldRow> rows(const QString& text) {
  std::vector<FieldRow> list;
  for (const QString& row : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
    list.push_back({row.section(QLatin1Char(':'), 0, 0), row.section(QLatin1Char(':'), 1)});
  return list;
}

}  // namespace

class FixedWidthLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void rulerCountsColumnsInBlocksOfTen() {
    QCOMPARE(kpx::ui::rulerText(25), QStringLiteral("1234567890123456789012345"));
    QCOMPARE(kpx::ui::tensText(25), QStringLiteral("........10........20"));
    const QString hundred = kpx::ui::tensText(100);
    QCOMPARE(hundred.size(), 100);
    QCOMPARE(hundred.right(20), QStringLiteral("........90.......100"));
  }

  void rulerClicksMoveBoundaries_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("expected");
    QTest::newRow("split inside a field") << "Name:10" << QList<int>{4} << "Name:4,Col001:6";
    QTest::newRow("join at a field's end") << "A:4,B:6" << QList<int>{4} << "A:10";
    QTest::newRow("drop the last end") << "A:4,B:6" << QList<int>{10} << "A:4";
    QTest::newRow("past the last field") << "A:4" << QList<int>{9} << "A:4,Col001:5";
    QTest::newRow("from nothing") << "" << QList<int>{3, 7} << "Col001:3,Col002:4";
    QTest::newRow("new names avoid taken ones in any case")
        << "col001:5" << QList<int>{2} << "col001:2,Col002:3";
  }
  void rulerClicksMoveBoundaries() {
    QFETCH(QString, start);
    QFETCH(QList<int>, clicks);
    QFETCH(QString, expected);
    FixedWidthLayout layout(parse(start));
    for (int position : clicks) layout.toggleBoundary(position);
    QCOMPARE(shown(layout), expected);
  }

  void guessFindsFieldsFromCommonBlankColumns() {
    // Fields of 6, 8 and 2 characters; "à" is one column, however many bytes it takes.
    FixedWidthLayout layout(parse("Nome:1"));
    layout.guess({QStringLiteral("Anna  Roma    12"), QStringLiteral("Bob   Milano  7"), QString(),
                  QStringLiteral("Città Pisa    3")});
    QCOMPARE(shown(layout), QStringLiteral("Nome:6,Col001:8,Col002:2"));
  }

  void fieldListRulesAnswerTheSystemsMessages_data() {
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("message");
    QTest::newRow("no field") << "" << 521;
    QTest::newRow("empty name") << ":5" << 519;
    QTest::newRow("empty length") << "Name:" << 519;
    QTest::newRow("same name in another case") << "Name:3,NAME:4" << 520;
    QTest::newRow("zero length") << "Name:0" << 527;
    QTest::newRow("length not a number") << "Name:x" << 527;
    QTest::newRow("valid") << "Name:3,Town:12" << 0;
  }
  void fieldListRulesAnswerTheSystemsMessages() {
    QFETCH(QString, grid);
    QFETCH(int, message);
    QCOMPARE(kpx::ui::fieldListProblem(rows(grid)), message);
  }

  void aStoredFieldListIsReadBackRowByRow() {
    const std::vector<FieldRow> back = kpx::ui::splitFields("3,12", "Name, Town", 2);
    QCOMPARE(int(back.size()), 2);
    QCOMPARE(back[1].name + QLatin1Char(':') + back[1].length, QStringLiteral("Town:12"));
  }
};

QTEST_MAIN(FixedWidthLayoutTest)
#include "fixed_width_layout_test.moc"
