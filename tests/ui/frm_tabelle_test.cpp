// The table and query picker on real sources: the tables it lists, the query it checks against
// the catalog, and that only an accepted choice touches the connection.
#include <QPlainTextEdit>
#include <QTest>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "support/recording_sink.h"
#include "ui/frm_tabelle.h"
#include "ui/icons.h"
#include "window_probe.h"
#include "wizard_files.h"

using kpx::test::click;
using kpx::test::control;
using kpx::test::WizardFiles;
using kpx::ui::frmTabelle;

namespace {

// Points `connection` at `path` as a `kind` and opens its catalog, as the main window does
// before it shows the picker.
bool openOn(kpx::clsConnection& connection, int32_t kind, const std::string& path, int32_t mode) {
  connection.setProvider(kind);
  connection.setMode(mode);
  connection.setDatabase(path);
  connection.setName(path);
  connection.setConnectionString(connection.CreateConnectionString());
  return kpx::modDatabase::OpenDatabase(connection);
}

}  // namespace

class FrmTabelleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
    kpx::modDatabase::resetState();
    kpx::modMain::resetState();
  }

  // Captions from the text table that fit; the keyboard starts in the list, and only a source
  // can take a query.
  void captionsFollowTheLanguage() {
    WizardFiles files;
    for (int language : {0, 1})
      for (int side : {1, 2}) {
        auto wizard = files.wizard();
        wizard->setLanguage(language);
        kpx::clsConnection& shown = side == 1 ? *wizard->Source() : *wizard->Destination();
        QVERIFY(openOn(shown, kpx::CONN_ACCESS, files.sourceDatabase(), side));
        frmTabelle dialog(*wizard, side);
        dialog.show();
        kpx::test::snapshot(dialog, side == 1 ? "frmTabelle-source" : "frmTabelle-destination",
                            language);
        const std::pair<const char*, int> captions[] = {
            {"label1", side == 1 ? 47 : 48}, {"ribSelection1", 32}, {"cmdAnnulla", 37}};
        for (const auto& [name, n] : captions)
          QCOMPARE(kpx::test::shownCaption(dialog, name), kpx::test::resText(n, language));
        QCOMPARE(kpx::test::clippedControl(dialog), QString());
        QCOMPARE(dialog.focusWidget(), control(dialog, "List1"));
        QCOMPARE(control(dialog, "ribSelection1")->isVisible(), side == 1);
      }
  }

  void queriesAreCheckedAgainstTheCatalog_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("message");
    QTest::newRow("empty") << QString() << 515;
    QTest::newRow("not a select") << "Customers" << 517;
    QTest::newRow("missing table") << "SELECT Id FROM Orders" << 502;
    QTest::newRow("missing column") << "SELECT Id, Phone FROM Customers" << 516;
    QTest::newRow("star") << "SELECT * FROM Customers" << 0;
    QTest::newRow("columns and a clause") << "SELECT Id, Name FROM Customers WHERE Id > 1" << 0;
  }
  void queriesAreCheckedAgainstTheCatalog() {
    QFETCH(QString, query);
    QFETCH(int, message);
    WizardFiles files;
    auto wizard = files.wizard();
    kpx::clsConnection& source = *wizard->Source();
    QVERIFY(openOn(source, kpx::CONN_ACCESS, files.sourceDatabase(), 1));
    frmTabelle dialog(*wizard, 1);
    dialog.show();
    click(dialog, "ribSelection1");
    QVERIFY(control(dialog, "txtScript")->isVisible() && !control(dialog, "List1")->isVisible());
    control<QPlainTextEdit>(dialog, "txtScript")->setPlainText(query);
    kpx::test::ScopedRecordingSink sink;
    click(dialog, "cmdSeleziona");
    QCOMPARE(int(sink->boxes.size()), message ? 1 : 0);
    if (message) {
      QCOMPARE(sink->boxes[0].text, kpx::GetResText(message));
      QVERIFY(dialog.isVisible() && source.TableName().empty());
      return;
    }
    QCOMPARE(QString::fromStdString(source.TableName()), query);
    QCOMPARE(source.TableType(), int(kpx::kpxTypeQuery));
    QVERIFY(!dialog.isVisible());
  }

  void onlyAnAcceptedChoiceTouchesTheConnection() {
    WizardFiles files;
    auto wizard = files.wizard();
    kpx::clsConnection& source = *wizard->Source();
    source.setTableName("Customers");
    source.setTableType(kpx::kpxTypeTable);
    QVERIFY(openOn(source, kpx::CONN_ACCESS, files.sourceDatabase(), 1));
    frmTabelle dialog(*wizard, 1);
    dialog.show();
    click(dialog, "cmdAnnulla");
    QVERIFY(dialog.Cancelled() && !dialog.Picked() && !dialog.isVisible());
    QCOMPARE(source.TableName(), std::string("Customers"));
    frmTabelle again(*wizard, 1);
    again.show();
    click(again, "cmdSeleziona");
    QVERIFY(again.Picked() && !again.NameChanged());
  }
};

QTEST_MAIN(FrmTabelleTest)
#include "frm_tabelle_test.moc"
