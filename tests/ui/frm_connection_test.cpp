// The connection dialog: the kinds it offers, each kind's fields, what Save refuses with the
// system's messages, and that only a save touches the connection, on real files.
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <map>

#include "data/mod_database.h"
#include "data/providers/provider.h"
#include "kpxwizard/messages.h"
#include "support/recording_sink.h"
#include "ui/frm_connection.h"
#include "ui/frm_testo.h"
#include "ui/icons.h"
#include "ui/preview_line.h"
#include "window_probe.h"
#include "wizard_files.h"

using kpx::test::click;
using kpx::test::control;
using kpx::test::resText;
using kpx::test::WizardFiles;
using kpx::ui::frmConnection;

namespace {

void choose(frmConnection& dialog, const char* kind) {
  auto* list = control<QComboBox>(dialog, "cmbConnection");
  list->setCurrentIndex(list->findText(QString::fromLatin1(kind)));
}

QStringList kinds(frmConnection& dialog) {
  QStringList names;
  auto* list = control<QComboBox>(dialog, "cmbConnection");
  for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
  return names;
}

void type(frmConnection& dialog, const char* name, const QString& text) {
  control<QLineEdit>(dialog, name)->setText(text);
}

// Defines a connection on `side` through the dialog; the file chooser answers `path`.
void define(frmConnection& dialog, const char* kind, const std::string& path) {
  dialog.setFileChooser(
      [path](bool, const QString&, const QString&) { return QString::fromStdString(path); });
  choose(dialog, kind);
  click(dialog, "cmdSearch");
}

}  // namespace

class FrmConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kpx::ui::useIconTheme(); }
  // Every kind is offered, as the installed providers offer them.
  void init() { frmConnection::offeredProviders() = kpx::data::installedProviders(); }
  void cleanup() {
    if (auto wizard = kpx::oWizard()) wizard->CloseWizard();
  }

  void kindsFollowTheInstalledProviders_data() {
    QTest::addColumn<QStringList>("providers");
    QTest::addColumn<int>("side");
    QTest::addColumn<QStringList>("expected");
    const QStringList jet = {"ACCESS", "EXCEL 3.0", "EXCEL 4.0", "EXCEL 5.0", "EXCEL 97-2000"};
    QTest::newRow("source") << QStringList{"Microsoft.Jet.OLEDB.4.0", "DTSFlatFile"} << 1
                            << (jet + QStringList{"HTML SOURCE", "TEXT FILE"});
    QTest::newRow("destination has no html")
        << QStringList{"Microsoft.Jet.OLEDB.4.0", "DTSFlatFile"} << 2
        << (jet + QStringList{"TEXT FILE"});
    QTest::newRow("library order") << QStringList{"DTSFlatFile", "KPX.Memory", "SQLOLEDB"} << 1
                                   << QStringList{"TEXT FILE", "SQL SERVER"};
  }
  void kindsFollowTheInstalledProviders() {
    QFETCH(QStringList, providers);
    QFETCH(int, side);
    QFETCH(QStringList, expected);
    frmConnection::offeredProviders().clear();
    for (const QString& p : providers) frmConnection::offeredProviders().push_back(p.toStdString());
    auto wizard = kpx::cKPXWizard::create();
    frmConnection dialog(*wizard, side);
    QCOMPARE(kinds(dialog), expected);
  }

  // The dialog walked through every kind it offers: each kind's fields, and captions from the
  // text table that fit, in English and Italian; on the way, the user fields follow the
  // authentication chosen.
  void everyKindShowsItsFields_data() {
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("language");
    QTest::newRow("source") << 1 << 0;
    QTest::newRow("source, italian") << 1 << 1;
    QTest::newRow("destination") << 2 << 0;
    QTest::newRow("destination, italian") << 2 << 1;
  }
  void everyKindShowsItsFields() {
    QFETCH(int, side);
    QFETCH(int, language);
    const bool source = side == 1;
    const std::map<QString, QString> shown = {
        {"ACCESS",
         source ? "cmdSearch frameUserPass" : "cmdSearch cmdCreateDestination frameUserPass"},
        {"SQL SERVER", "fraAutentication frameUserPass txtServer"},
        {"HTML SOURCE", "cmdSearch"},
        {"TEXT FILE",
         source ? "cmdSearch fraFileTesto cmdPreview txtSkipRows" : "cmdSearch fraFileTesto"}};
    auto wizard = kpx::cKPXWizard::create();
    wizard->setLanguage(language);
    frmConnection dialog(*wizard, side);
    dialog.show();
    for (const QString& kind : kinds(dialog)) {
      choose(dialog, kind.toLatin1().constData());
      QCOMPARE(kpx::test::shownCaption(dialog, "lblTitolo"), resText(source ? 30 : 31, language));
      QCOMPARE(kpx::test::clippedControl(dialog), QString());
      kpx::test::snapshot(
          dialog,
          "frmConnection-" + kind.toLower().replace(' ', '-') + (source ? "" : "-destination"),
          language);
      const QStringList fields =
          (kind.startsWith("EXCEL") ? "cmdSearch" : shown.at(kind)).split(' ');
      for (const char* name :
           {"cmdSearch", "cmdCreateDestination", "fraAutentication", "frameUserPass", "txtServer",
            "fraFileTesto", "cmdPreview", "txtSkipRows"})
        QVERIFY2(control(dialog, name)->isVisible() == fields.contains(QString::fromLatin1(name)),
                 qPrintable(kind + ": " + name));
      if (kind != "SQL SERVER") continue;
      QVERIFY(!control(dialog, "txtUser")->isEnabled());
      click(dialog, "optAutentication0");
      QVERIFY(control(dialog, "txtPassword")->isEnabled());
      QTest::keyClick(control(dialog, "txtUser"), Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(control<QLineEdit>(dialog, "txtUser")->text(), QStringLiteral("Administrator"));
      type(dialog, "txtPassword", "secret");
      click(dialog, "optAutentication1");
      QVERIFY(!control(dialog, "txtUser")->isEnabled());
      QVERIFY(control<QLineEdit>(dialog, "txtUser")->text().isEmpty() &&
              control<QLineEdit>(dialog, "txtPassword")->text().isEmpty());
    }
  }

  void aTextSourceDefinedHereIsReadBack() {
    WizardFiles files;
    auto wizard = files.wizard();
    frmConnection dialog(*wizard, 1);
    dialog.show();
    define(dialog, "TEXT FILE", files.csv());
    click(dialog, "chkFirstRow");
    control<QComboBox>(dialog, "cmbTextQualifier")->setCurrentIndex(2);
    kpx::test::ScopedRecordingSink sink;
    click(dialog, "cmdInsert");
    QVERIFY(sink->boxes.empty());
    QVERIFY(!dialog.ConnectionUnchanged() && dialog.TableButtonEnabled());
    kpx::clsConnection& source = *wizard->Source();
    QCOMPARE(source.ConType(), int(kpx::CONN_TEXTFILE));
    QCOMPARE(source.TextQualifier(), std::string("\""));
    wizard->setSource(wizard->Source());
    QVERIFY(kpx::modDatabase::OpenDatabase(source));
    QCOMPARE(source.Columns()->Count(), 3);
  }

  void saveRefusesWithTheSystemsMessage_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("message");
    QTest::newRow("no kind") << QString() << QString() << QString() << 526;
    QTest::newRow("bad path") << "ACCESS"
                              << "missing.mdb" << QString() << 529;
    QTest::newRow("same as the destination") << "ACCESS"
                                             << "shop.db" << QString() << 525;
    QTest::newRow("sql user missing") << "SQL SERVER" << QString() << "optAutentication0" << 524;
    QTest::newRow("fixed without fields") << "TEXT FILE"
                                          << "customers.csv"
                                          << "optFisso" << 546;
    QTest::newRow("not a workbook") << "EXCEL 97-2000"
                                    << "customers.csv" << QString() << 537;
    QTest::newRow("row delimiter absent") << "TEXT FILE"
                                          << "customers.csv"
                                          << "row" << 522;
  }
  void saveRefusesWithTheSystemsMessage() {
    QFETCH(QString, kind);
    QFETCH(QString, file);
    QFETCH(QString, setup);
    QFETCH(int, message);
    WizardFiles files;
    auto wizard = files.wizard();
    wizard->Destination()->setDatabase(files.database());
    frmConnection dialog(*wizard, 1);
    dialog.show();
    if (!kind.isEmpty()) choose(dialog, kind.toLatin1().constData());
    type(dialog, "txtDatabase",
         file.isEmpty() ? QString() : QString::fromStdString(files.folder()) + file);
    if (kind == "SQL SERVER") type(dialog, "txtDatabase", "shop");
    if (setup == "row")
      control<QComboBox>(dialog, "cmbRow")->setCurrentIndex(2);
    else if (!setup.isEmpty())
      click(dialog, setup);
    kpx::test::ScopedRecordingSink sink;
    click(dialog, "cmdInsert");
    // A data source that does not open is reported first, then refused.
    QCOMPARE(int(sink->boxes.size()), message == 537 ? 2 : 1);
    QCOMPARE(sink->boxes.back().text,
             kpx::GetResText(message, std::vector<std::string>{"-Property-"}));
    QVERIFY(dialog.isVisible());
    QVERIFY(wizard->Source()->Database().empty());
  }

  void aFixedWidthLayoutIsMadeOnTheRuler() {
    WizardFiles files;
    const std::string people = files.folder() + "people.txt";
    QFile file(QString::fromStdString(people));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Anna  Roma    12\r\nBob   Milano   7\r\n");
    file.close();
    auto wizard = files.wizard();
    frmConnection dialog(*wizard, 1);
    dialog.show();
    define(dialog, "TEXT FILE", people);
    click(dialog, "optFisso");
    dialog.setPreviewRunner([](kpx::ui::frmTesto& editor) {
      editor.show();
      auto* ruler = control<kpx::ui::PreviewLine>(editor, "lblScala");
      for (int boundary : {6, 14})
        QTest::mouseClick(ruler, Qt::LeftButton, {},
                          QPoint(ruler->columnX(boundary + 1), ruler->height() / 2));
      // The last boundary by keyboard, two columns on from the last click.
      for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Space}) QTest::keyClick(ruler, key);
      click(editor, "cmdOK");
      return editor.result();
    });
    kpx::test::ScopedRecordingSink sink;
    click(dialog, "cmdProperty");
    click(dialog, "cmdInsert");
    QVERIFY(sink->boxes.empty());
    kpx::clsConnection& source = *wizard->Source();
    QCOMPARE(source.ColumnLengths(), std::string("6,8,2"));
    QCOMPARE(source.FormatFile(), int(kpx::kpxFixedFile));
  }

  void onlyASaveTouchesTheConnection_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancel") << true;
    QTest::newRow("save unchanged") << false;
  }
  void onlyASaveTouchesTheConnection() {
    QFETCH(bool, cancel);
    WizardFiles files;
    auto wizard = files.wizard();
    kpx::clsConnection& source = *wizard->Source();
    source.setProvider(kpx::CONN_ACCESS);
    source.setDatabase(files.sourceDatabase());
    source.setName(files.sourceDatabase());
    source.setUser("Admin");
    source.setTableName("Customers");
    frmConnection dialog(*wizard, 1);
    dialog.show();
    QCOMPARE(control<QLineEdit>(dialog, "txtUser")->text(), QStringLiteral("Admin"));
    if (cancel) type(dialog, "txtUser", "Someone");
    click(dialog, cancel ? "cmdExit" : "cmdInsert");
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.ConnectionUnchanged() && !dialog.TableButtonEnabled());
    QCOMPARE(source.User(), std::string("Admin"));
    QCOMPARE(source.TableName(), std::string("Customers"));
  }

  void newMakesAnEmptyDestination_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("button");
    QTest::newRow("database") << "ACCESS"
                              << "new.mdb"
                              << "cmdCreateDestination";
    QTest::newRow("text file named in the browse dialog") << "TEXT FILE"
                                                          << "new.txt"
                                                          << "cmdSearch";
  }
  void newMakesAnEmptyDestination() {
    QFETCH(QString, kind);
    QFETCH(QString, file);
    QFETCH(QString, button);
    WizardFiles files;
    auto wizard = files.wizard();
    frmConnection dialog(*wizard, 2);
    dialog.show();
    const std::string path = files.folder() + file.toStdString();
    define(dialog, kind.toLatin1().constData(), "");
    dialog.setFileChooser([path](bool save, const QString&, const QString&) {
      return save ? QString::fromStdString(path) : QString();
    });
    click(dialog, button);
    QVERIFY(QFileInfo::exists(QString::fromStdString(path)));
    if (kind == "ACCESS")
      QCOMPARE(WizardFiles::sqliteOn(path, "SELECT COUNT(*) FROM sqlite_master"),
               std::string("0\n"));
  }
};

QTEST_MAIN(FrmConnectionTest)
#include "frm_connection_test.moc"
