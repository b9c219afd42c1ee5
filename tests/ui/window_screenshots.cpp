// Renders every step of the main window in English and Italian with a saved configuration
// loaded, the Execution step after a run, to PNG files named window-step-language.png; the
// Mapping step also onto the table the run filled, with a constant and an ignored column
// (mapping-existing), and defining a new table (mapping-new); the connection dialog for every
// kind (frmConnection-kind-language.png) and the table picker for either side
// (frmTabelle-source|destination-language.png), and the text preview and the fixed-width
// editor on a small fixed-width file (frmTesto-preview|fixed-language.png).
//   window_screenshots CONFIG.ini OUTPUT_FOLDER
// Run from the folder the configuration's relative paths start from. The configuration's
// destination database is made afresh (an empty SQLite file) before each language's run.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "kpxwizard/messages.h"
#include "ui/frm_connection.h"
#include "ui/frm_main.h"
#include "ui/frm_tabelle.h"
#include "ui/frm_testo.h"
#include "ui/icons.h"
#include "ui/mapping_grid.h"
#include "ui/row_delimiter_captions.h"
#include "window_probe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    qCritical("usage: window_screenshots CONFIG.ini OUTPUT_FOLDER");
    return 2;
  }
  const std::string config = argv[1];
  const QString folder = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(folder);
  kpx::ui::useIconTheme();
  // Message boxes would wait for a click; their texts go to standard error instead.
  kpx::installMessageSink(nullptr);
  const char* steps[] = {"source", "destination", "mapping", "execution"};
  // A wizard with the configuration loaded onto a fresh destination database.
  auto freshWizard = [&config](int language) -> std::shared_ptr<kpx::cKPXWizard> {
    const std::filesystem::path database =
        kpx::modINIApi::ReadINIKey(config, "DESTINATION", "Database", "");
    if (database.has_parent_path()) std::filesystem::create_directories(database.parent_path());
    std::filesystem::remove(database);
    kpx::modDatabase::CreaDataBase(database.string());
    auto wizard = kpx::cKPXWizard::create();
    if (!wizard->LoadFromINIFile(config)) return nullptr;
    wizard->setLanguage(language);
    return wizard;
  };
  auto save = [&folder](QWidget& window, const char* form, const QString& name, const char* code) {
    QTest::qWait(50);
    const QString path = QStringLiteral("%1/%2-%3-%4.png").arg(folder, form, name, code);
    qInfo("%s", qPrintable(path));
    return window.grab().save(path);
  };
  // A fixed-width file with accents and a tab, for the preview and the editor.
  QTemporaryDir scratch;
  const QString people = scratch.filePath(QStringLiteral("people.txt"));
  {
    QFile file(people);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(QStringLiteral("Anna      Roma        12.50 2024-01-31\r\n"
                              "Bob       Milano       7.00 2024-02-29\r\n"
                              "Niccolò   Forlì      130.25 2023-12-01\r\n"
                              "Zoë\t      Cantù        0.99 2024-03-15\r\n")
                   .toUtf8());
  }
  for (const auto& [language, code] : {std::pair{0, "en"}, std::pair{1, "it"}}) {
    auto wizard = freshWizard(language);
    if (!wizard) return 1;
    {
      kpx::ui::frmMain window(*wizard);
      window.show();
      for (int step = 0; step < 4; ++step) {
        // A loaded configuration has its mapping run, so every step button is enabled.
        kpx::test::click(window, QStringLiteral("ribSelection%1").arg(step));
        if (step == 3) kpx::test::click(window, "cmdAvanti");
        if (!save(window, "frmMain", steps[step], code)) return 1;
      }
      // Back on the mapping, now onto the filled table: one column ignored, one constant.
      kpx::test::click(window, "ribSelection2");
      auto* grid = kpx::test::control<kpx::ui::MappingGridView>(window, "tdbMain");
      QAbstractItemModel& model = *grid->model();
      model.setData(model.index(3, 0), QStringLiteral("2"), Qt::EditRole);
      model.setData(model.index(4, 0), QStringLiteral("1"), Qt::EditRole);
      model.setData(model.index(4, 5), QStringLiteral("Italia"), Qt::EditRole);
      grid->fitColumns();

      grid->setCurrentIndex(model.index(4, 5));
      if (!save(window, "frmMain", "mapping-existing", code)) return 1;
    }
    // The component's package lives as long as the wizard that made it: this one goes with
    // its pictures, before the next is made.
    wizard->CloseWizard();

    // The connection dialog for every kind the installed providers offer, as a source, and
    // as a destination where it differs (New); then the picker on the filled database.
    wizard.reset();
    wizard = kpx::cKPXWizard::create();
    wizard->setLanguage(language);
    wizard->setAppName("KPX Wizard IO");
    for (int side : {1, 2}) {
      kpx::ui::frmConnection dialog(*wizard, side);
      auto* kinds = kpx::test::control<QComboBox>(dialog, "cmbConnection");
      dialog.show();
      for (int i = 0; i < kinds->count(); ++i) {
        kinds->setCurrentIndex(i);
        const int32_t kind = kinds->itemData(i).toInt();
        if (side == 2 && kind != kpx::CONN_ACCESS && kind != kpx::CONN_TEXTFILE) continue;
        QString slug = kinds->itemText(i).toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
        if (side == 2) slug += QStringLiteral("-destination");
        if (!save(dialog, "frmConnection", slug, code)) return 1;
      }
    }
    const std::string database = kpx::modINIApi::ReadINIKey(config, "DESTINATION", "Database", "");
    for (int side : {1, 2}) {
      kpx::clsConnection& connection = side == 1 ? *wizard->Source() : *wizard->Destination();
      connection.setProvider(kpx::CONN_ACCESS);
      connection.setMode(side);
      connection.setDatabase(database);
      connection.setConnectionString(connection.CreateConnectionString());
      if (!kpx::modDatabase::OpenDatabase(connection)) return 1;
      kpx::ui::frmTabelle picker(*wizard, side);
      picker.show();
      if (!save(picker, "frmTabelle", side == 1 ? "source" : "destination", code)) return 1;
    }
    for (int16_t form : {0, 1}) {
      if (kpx::ui::loadPreviewRows(people, QStringLiteral("{CR}{LF}"), 0) != 1) return 1;
      kpx::ui::frmTesto preview(*wizard);
      preview.FormTypePreview = form;
      preview.Database = people;
      if (form == 1) preview.OpenerFields = {{"Name", "10"}, {"Town", "12"}};
      preview.show();
      if (form == 1) kpx::test::click(preview, "cmdGuess");
      if (!save(preview, "frmTesto", form == 0 ? "preview" : "fixed", code)) return 1;
    }
    wizard->CloseWizard();

    // A table still to be defined: the grid describes it from the source's columns. The
    // previous wizard goes first, as its package goes with it.
    wizard.reset();
    wizard = freshWizard(language);
    if (!wizard) return 1;
    wizard->setExecutedMapping(false);
    wizard->Transformations()->Reset();
    wizard->Destination()->setTableName("NewCustomers");
    wizard->Destination()->setCreatedDestinationTable(true);
    {
      kpx::ui::frmMain window(*wizard);
      window.show();
      kpx::test::click(window, "cmdAvanti");
      kpx::test::click(window, "cmdAvanti");
      if (!save(window, "frmMain", "mapping-new", code)) return 1;
    }
    wizard->CloseWizard();
  }
  return 0;
}
