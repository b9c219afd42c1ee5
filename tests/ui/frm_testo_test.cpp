// The text preview and the fixed-width editor on real files: rows decoded from each encoding
// and laid out one character per ruler column, the one-character scroll, and the editor's
// grid refusing bad field lists with the system's messages.
#include <QLineEdit>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "support/recording_sink.h"
#include "ui/frm_testo.h"
#include "ui/icons.h"
#include "ui/preview_line.h"
#include "ui/row_delimiter_captions.h"
#include "window_probe.h"

using kpx::test::click;
using kpx::test::control;
using kpx::ui::frmTesto;
using kpx::ui::PreviewLine;

namespace {

// Whether anything is drawn in column `column` of `line`.
bool inked(PreviewLine& line, int column) {
  const QImage image = line.grab().toImage();
  const qreal scale = image.devicePixelRatio();
  const QColor background = image.pixelColor(0, 0);
  for (int x = line.columnX(column); x < line.columnX(column + 1); ++x)
    for (int y = 0; y < line.height(); ++y)
      if (image.pixelColor(int(x * scale), int(y * scale)) != background) return true;
  return false;
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
    const QString row = QStringLiteral("Città\tPiù");
    QTest::newRow("utf-8") << (row + QStringLiteral("\r\nNo")).toUtf8() << "{CR}{LF}";
    QTest::newRow("windows-1252") << QByteArray("Citt\xe0\tPi\xf9\r\nNo") << "{CR}{LF}";
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QTest::newRow("utf-16, english caption")
        << QByteArray(utf16(row + QStringLiteral(";No"))) << "Semicolon";
    QTest::newRow("italian caption") << (row + QStringLiteral(";No")).toUtf8() << "Punto e virgola";
  }
  void previewShowsEachCharacterInItsRulerColumn() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, delimiter);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QCOMPARE(kpx::ui::loadPreviewRows(path, delimiter, 0), int16_t(1));

    auto wizard = kpx::cKPXWizard::create();
    frmTesto window(*wizard);
    window.show();
    auto* row = control<PreviewLine>(window, "lblTesto");
    QCOMPARE(row->text(), QStringLiteral("Città\tPiù"));
    QCOMPARE(control<PreviewLine>(window, "lblTesto1")->text(), QStringLiteral("No"));
    QCOMPARE(control<PreviewLine>(window, "lblScala")->text(), QStringLiteral("123456789"));
    // The tab is drawn in its own column; nothing is drawn past the row's last one.
    QVERIFY(inked(*row, 6));
    QVERIFY(!inked(*row, 10));
    QVERIFY(!control(window, "HScroll1")->isEnabled());
    QVERIFY(control(window, "fraFixText")->isHidden());
  }

  void everyScrollStepMovesTheViewOneCharacter() {
    kpx::modMain::ClearPreview();
    kpx::modMain::state().arrPreviewRows[0] = std::string(300, 'x');
    auto wizard = kpx::cKPXWizard::create();
    frmTesto window(*wizard);
    window.show();
    auto* bar = control<QScrollBar>(window, "HScroll1");
    QVERIFY(bar->isEnabled());
    bar->setValue(200);
    QCOMPARE(control<PreviewLine>(window, "lblScala")->offset(), 2);
    QCOMPARE(control<PreviewLine>(window, "lblTesto4")->offset(), 2);
    bar->setValue(100);
    QCOMPARE(control<PreviewLine>(window, "lblDecine")->offset(), 1);
  }

  void editorRefusesABadFieldListWithTheSystemsMessage() {
    kpx::modMain::ClearPreview();
    kpx::modMain::state().arrPreviewRows[0] = "Anna  Roma";
    auto wizard = kpx::cKPXWizard::create();
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
      QCOMPARE(sink->boxes[0].text, kpx::GetResText(520, kpx::kpxLanguageEnglish));
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
             QStringLiteral("Total length 10 of 10 characters"));
    click(window, "cmdOK");
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.Fields().lengths, std::string("6,4"));
    QCOMPARE(window.Fields().names, std::string("Name,Town"));
  }
};

QTEST_MAIN(FrmTestoTest)
#include "frm_testo_test.moc"
