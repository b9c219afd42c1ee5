#include "ui/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>

namespace kpx::ui {

int32_t QtMessageSink::show(const std::string& text, int32_t style, const std::string& title) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  switch (style & 0x70) {
    case 16:
      box.setIcon(QMessageBox::Critical);
      break;
    case 32:
      box.setIcon(QMessageBox::Question);
      break;
    case 48:
      box.setIcon(QMessageBox::Warning);
      break;
    case 64:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  QList<QMessageBox::StandardButton> buttons;
  switch (style & 0x0F) {
    case 1:
      buttons = {QMessageBox::Ok, QMessageBox::Cancel};
      break;
    case 3:
      buttons = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
      break;
    case 4:
      buttons = {QMessageBox::Yes, QMessageBox::No};
      break;
    default:
      buttons = {QMessageBox::Ok};
      break;
  }
  for (auto button : buttons) box.addButton(button);
  const qsizetype defaultIndex = (style & 0x300) >> 8;
  if (defaultIndex < buttons.size()) box.setDefaultButton(buttons[defaultIndex]);
  box.setEscapeButton(buttons.size() > 1 && buttons.contains(QMessageBox::No) ? QMessageBox::No
                                                                              : buttons.back());
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return 2;
    case QMessageBox::Yes:
      return vbYes;
    case QMessageBox::No:
      return vbNo;
    default:
      return vbOK;
  }
}

void QtMessageSink::setBusyCursor() {
  if (m_busy) return;
  m_busy = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtMessageSink::setDefaultCursor() {
  if (!m_busy) return;
  m_busy = false;
  QApplication::restoreOverrideCursor();
}

}  // namespace kpx::ui
