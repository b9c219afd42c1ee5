#include "ui/texts.h"

#include "kpxwizard/messages.h"

namespace kpx::ui {

QString uiText(int32_t n, int32_t language) {
  const enKpxLanguage lang =
      language == kpxLanguageItalian ? kpxLanguageItalian : kpxLanguageEnglish;
  return QString::fromStdString(GetResText(n, lang));
}

QString withMnemonic(const QString& caption, QSet<QChar>& used) {
  QString text = caption;
  text.replace(QLatin1Char('&'), QLatin1String("&&"));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar key = text[i].toLower();
    if (!text[i].isLetter() || used.contains(key)) continue;
    used.insert(key);
    return text.left(i) + QLatin1Char('&') + text.mid(i);
  }
  return text;
}

QString plainCaption(const QString& caption) {
  QString plain;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

QString guessText(int32_t language) {
  return language == 1 ? QStringLiteral("Proponi campi") : QStringLiteral("Guess fields");
}

QString totalLengthText(int32_t language) {
  return language == 1 ? QStringLiteral("Lunghezza totale %1 su %2 caratteri")
                       : QStringLiteral("Total length %1 of %2 characters");
}

}  // namespace kpx::ui
