#include "window_probe.h"

#include <QTest>

#include "kpxwizard/messages.h"
#include "ui/texts.h"

namespace kpx::test {

QString shownCaption(QWidget& window, const QString& name) {
  QWidget* widget = control(window, name);
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    return ui::plainCaption(button->text());
  if (auto* label = qobject_cast<QLabel*>(widget)) return ui::plainCaption(label->text());
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
  if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
    QStringList headings;
    for (int i = 0; i < list->columnCount(); ++i) headings << list->headerItem()->text(i);
    return headings.join(QLatin1Char('|'));
  }
  qFatal("control %s shows no caption", qPrintable(name));
}

QString clippedControl(QWidget& window) {
  for (QWidget* widget : window.findChildren<QWidget*>())
    if (widget->isVisible() && widget->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored &&
        widget->width() < widget->minimumSizeHint().width())
      return widget->objectName();
  return QString();
}

QString resText(int n, int language) {
  return QString::fromStdString(
      GetResText(n, language == 1 ? kpxLanguageItalian : kpxLanguageEnglish));
}

void click(QWidget& window, const QString& name) {
  auto* button = control<QAbstractButton>(window, name);
  if (!button->isEnabled() || !button->isVisible())
    qWarning("clicking %s, which cannot be clicked", qPrintable(name));
  // A radio button answers only on its mark and label, at its left end.
  const bool marked = button->inherits("QRadioButton") || button->inherits("QCheckBox");
  QTest::mouseClick(button, Qt::LeftButton, {},
                    marked ? QPoint(6, button->height() / 2) : QPoint());
}

void addLanguageRows() {
  QTest::addColumn<int>("language");
  QTest::newRow("en") << 0;
  QTest::newRow("it") << 1;
}

void snapshot(QWidget& window, const QString& name, int language) {
  const QString folder = qEnvironmentVariable("KPX_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QTest::qWait(50);
  const QString path = QStringLiteral("%1/%2-%3.png").arg(folder, name, language ? "it" : "en");
  if (!window.grab().save(path)) qWarning("cannot write %s", qPrintable(path));
}

}  // namespace kpx::test
