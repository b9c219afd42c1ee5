// Captions of the windows: texts of the numbered table in the wizard's language, and the
// keyboard mnemonics that buttons get from their captions.
#pragma once
#include <QSet>
#include <QString>
#include <cstdint>

namespace kpx::ui {

// Text n of the table in `language` (1 Italian, any other value English).
QString uiText(int32_t n, int32_t language);

// `caption` with "&" before its first letter that is not yet in `used` (which then holds it);
// unchanged when every letter is taken. A literal "&" is doubled first.
QString withMnemonic(const QString& caption, QSet<QChar>& used);

// Captions of the fixed-width editor's own tools, which no numbered text names: the button
// that proposes fields from the preview, and the total of the lengths against the longest
// row ("%1" the total, "%2" the row's length).
QString guessText(int32_t language);
QString totalLengthText(int32_t language);

// A caption as the user reads it: mnemonic markers removed.
QString plainCaption(const QString& caption);

}  // namespace kpx::ui
