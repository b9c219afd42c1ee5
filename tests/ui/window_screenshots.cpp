// Renders every step of the main window in English and Italian with a saved configuration
// loaded, the Execution step after a run, to PNG files named window-step-language.png.
//   window_screenshots CONFIG.ini OUTPUT_FOLDER
// Run from the folder the configuration's relative paths start from. The configuration's
// destination database is made afresh (an empty SQLite file) before each language's run.
#include <QApplication>
#include <QDir>
#include <QTest>
#include <filesystem>

#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "kpxwizard/messages.h"
#include "ui/frm_main.h"
#include "ui/icons.h"
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
  for (const auto& [language, code] : {std::pair{0, "en"}, std::pair{1, "it"}}) {
    const std::filesystem::path database = kpx::modINIApi::ReadINIKey(config, "DESTINATION", "Database", "");
    if (database.has_parent_path()) std::filesystem::create_directories(database.parent_path());
    std::filesystem::remove(database);
    kpx::modDatabase::CreaDataBase(database.string());
    auto wizard = kpx::cKPXWizard::create();
    if (!wizard->LoadFromINIFile(config)) return 1;
    wizard->setLanguage(language);
    kpx::ui::frmMain window(*wizard);
    window.show();
    QTest::qWait(50);
    for (int step = 0; step < 4; ++step) {
      // A loaded configuration has its mapping run, so every step button is enabled.
      kpx::test::click(window, QStringLiteral("ribSelection%1").arg(step));
      if (step == 3) kpx::test::click(window, "cmdAvanti");
      QTest::qWait(50);
      const QString path = QStringLiteral("%1/frmMain-%2-%3.png").arg(folder, steps[step], code);
      if (!window.grab().save(path)) return 1;
      qInfo("%s", qPrintable(path));
    }
    // The component's package lives as long as the wizard that made it: this one goes with
    // its language's pictures, before the next is made.
    wizard->CloseWizard();
  }
  return 0;
}
