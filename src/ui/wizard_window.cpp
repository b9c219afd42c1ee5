#include "ui/wizard_window.h"

#include <QApplication>
#include <cstdlib>

#include "kpxwizard/automation_error.h"
#include "kpxwizard/messages.h"
#include "ui/frm_main.h"
#include "ui/icons.h"
#include "ui/qt_message_sink.h"

namespace kpx::ui {
namespace {

bool environmentSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The application the library made for a host without one; it lives as long as the process.
QApplication& ownApplication() {
  static int argc = 1;
  static char name[] = "kpxwizard";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

// Puts the host's message box back when the window closes, however it closes.
class ScopedQtMessages {
 public:
  ScopedQtMessages() : m_previous(currentMessageSink()) {
    installMessageSink(std::make_shared<QtMessageSink>());
  }
  ~ScopedQtMessages() { installMessageSink(m_previous); }
  ScopedQtMessages(const ScopedQtMessages&) = delete;
  ScopedQtMessages& operator=(const ScopedQtMessages&) = delete;

 private:
  std::shared_ptr<MessageSink> m_previous;
};

}  // namespace

void installWizardWindow() {
  registerWizardWindow(runWizardWindow);
}

std::string displayProblem() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) return {};
  if (QCoreApplication::instance())
    return "the host runs a Qt application without widgets, so no window can be shown";
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string chosen = platform ? platform : "";
  const bool needsX = chosen.empty() || chosen.starts_with("xcb");
  const bool needsWayland = chosen.starts_with("wayland");
  if ((needsX && !environmentSet("DISPLAY") && !environmentSet("WAYLAND_DISPLAY")) ||
      (needsWayland && !environmentSet("WAYLAND_DISPLAY")))
    return "there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run the transfer "
           "without a window instead (kpxwizard run CONFIG.ini)";
  return {};
}

bool runWizardWindow(cKPXWizard& wizard) {
  if (const std::string problem = displayProblem(); !problem.empty())
    throw AutomationError(kErrUnspecified, wizard.AppName(),
                          "The wizard window cannot open: " + problem);
  if (!QCoreApplication::instance()) ownApplication();
  useIconTheme();
  ScopedQtMessages messages;
  frmMain window(wizard);
  window.setWindowModality(Qt::ApplicationModal);
  window.exec();
  return true;
}

}  // namespace kpx::ui
