// The text preview and the fixed-width editor on real files: rows decoded from each encoding
// and laid out one per ruler column, and the editor's grid refusing bad field lists with the
// system's messages. The editor's rules without its window: boundaries added and removed by
// clicks, fields guessed from blank columns, and the checks a field list passes.
#include <QLineEdit>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "support/recording_sink.h"
#include "ui/fixed_width_layout.h"
#include "ui/frm_testo.h"
#include "ui/icons.h"
#include "ui/preview_line.h"
#include "ui/row_delimiter_captions.h"
#include "ui/texts.h"
#include "window_probe.h"

using kpx::test::click;
using kpx::test::control;
using kpx::ui::FieldRow;
using kpx::ui::FixedWidthLayout;
using kpx::ui::frmTesto;
using kpx::ui::PreviewLine;

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

class FrmTestoTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
  }

  void previewShowsEachCharacterInItsRulerColumn_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("language");
    const QString row = QStringLiteral("Città\tPiù");
    QTest::newRow("utf-8") << (row + QStringLiteral("\r\nNo")).toUtf8() << "{CR}{LF}" << 0;
    QTest::newRow("windows-1252") << QByteArray("Citt\xe0\tPi\xf9\r\nNo") << "{CR}{LF}" << 0;
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QTest::newRow("utf-16, english caption")
        << QByteArray(utf16(row + QStringLiteral(";No"))) << "Semicolon" << 0;
    QTest::newRow("italian caption")
        << (row + QStringLiteral(";No")).toUtf8() << "Punto e virgola" << 1;
  }
  void previewShowsEachCharacterInItsRulerColumn() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, delimiter);
    QFETCH(int, language);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QCOMPARE(kpx::ui::loadPreviewRows(path, delimiter, 0), int16_t(1));

    auto wizard = kpx::cKPXWizard::create();
    wizard->setLanguage(language);
    frmTesto window(*wizard);
    window.show();
    kpx::test::snapshot(window, "frmTesto-preview", language);
    auto* row = control<PreviewLine>(window, "lblTesto");
    QCOMPARE(row->text(), QStringLiteral("Città\tPiù"));
    QCOMPARE(control<PreviewLine>(window, "lblTesto1")->text(), QStringLiteral("No"));
    QCOMPARE(control<PreviewLine>(window, "lblScala")->text(), QStringLiteral("123456789"));
    QVERIFY(!control(window, "HScroll1")->isEnabled());
    QVERIFY(control(window, "fraFixText")->isHidden());
  }

  void editorRefusesABadFieldListWithTheSystemsMessage_data() { kpx::test::addLanguageRows(); }
  void editorRefusesABadFieldListWithTheSystemsMessage() {
    QFETCH(int, language);
    kpx::modMain::ClearPreview();
    kpx::modMain::state().arrPreviewRows[0] = "Anna  Roma";
    auto wizard = kpx::cKPXWizard::create();
    wizard->setLanguage(language);
    frmTesto window(*wizard);
    window.FormTypePreview = 1;
    window.OpenerFields = {{"Name", "6"}, {"NAME", "4"}};
    window.show();
    auto* grid = control<QTableWidget>(window, "tdbFixText");
    QCOMPARE(grid->rowCount(), 3);  // the two fields and the row for a new one
    {
      kpx::test::ScopedRecordingSink sink;
      click(window, "cmdOK");
      QCOMPARE(int(sink->boxes.size()), 1);
      QCOMPARE(sink->boxes[0].text,
               kpx::GetResText(520, language ? kpx::kpxLanguageItalian : kpx::kpxLanguageEnglish));
      QVERIFY(window.isVisible());
    }
    grid->item(1, 0)->setText(QStringLiteral("Town"));
    // Typing in the length column keeps digits only; leaving it empty keeps the old value.
    for (const char* typed : {"x4y", ""}) {
      grid->setCurrentCell(1, 1);
      grid->editItem(grid->item(1, 1));
      auto* editor = grid->findChild<QLineEdit*>();
      QVERIFY(editor);
      editor->clear();
      QTest::keyClicks(editor, QString::fromLatin1(typed));
      QTest::keyClick(editor, Qt::Key_Return);
      QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("4"));
    }
    QCOMPARE(control<QLabel>(window, "lblTotale")->text(),
             kpx::ui::totalLengthText(language).arg(10).arg(10));
    kpx::test::snapshot(window, "frmTesto-fixed", language);
    click(window, "cmdOK");
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.Fields().lengths, std::string("6,4"));
    QCOMPARE(window.Fields().names, std::string("Name,Town"));
  }

  // The fixed-width editor's rules without its window.
  void rulerClicksMoveBoundaries_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("expected");
    QTest::newRow("split inside a field") << "Name:10" << QList<int>{4} << "Name:4,Col001:6";
    QTest::newRow("join at a field's end") << "A:4,B:6" << QList<int>{4} << "A:10";
    QTest::newRow("drop the last end") << "A:4,B:6" << QList<int>{10} << "A:4";
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
    QTest::newRow("zero length") << "Name:0" << 527;
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

QTEST_MAIN(FrmTestoTest)
#include "frm_testo_test.moc"
