// Finding the main window's controls by their names, as accessibility tools do, and reading
// what they show.
#pragma once
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QWidget>

namespace kpx::test {

// The control `name` of `window`; ends the test program when there is none, as every later
// check would be meaningless.
template <class T = QWidget>
T* control(QWidget& window, const QString& name) {
  T* found = window.findChild<T*>(name);
  if (!found) qFatal("no control named %s", qPrintable(name));
  return found;
}

// The caption a control shows: a button's or label's text without its mnemonic marker, a
// frame's title, a list's column headings joined by "|".
QString shownCaption(QWidget& window, const QString& name);

// The name of the first shown control of `window` narrower than its contents ask for, or
// an empty text when every caption fits (controls that give up their width never clip).
QString clippedControl(QWidget& window);

// Text n of the table in `language` (1 Italian, else English).
QString resText(int n, int language);

// Clicks the button `name`.
void click(QWidget& window, const QString& name);

// The data column "language" with its rows "en" (0) and "it" (1).
void addLanguageRows();

// Saves what `window` shows as NAME-en.png or NAME-it.png (by `language`) in the existing
// folder the environment variable KPX_SCREENSHOTS names, as scripts/screenshots asks; without
// it, nothing.
void snapshot(QWidget& window, const QString& name, int language);

}  // namespace kpx::test
