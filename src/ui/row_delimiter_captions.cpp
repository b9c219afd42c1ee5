#include "ui/row_delimiter_captions.h"

#include "data/mod_main.h"
#include "ui/texts.h"

namespace kpx::ui {

QStringList rowDelimiterCaptions(int32_t language) {
  return {QStringLiteral("{CR}{LF}"), uiText(57, language), uiText(58, language),
          uiText(59, language),       uiText(60, language), QStringLiteral("{CR}"),
          QStringLiteral("{LF}")};
}

int32_t rowDelimiterCode(const QString& caption) {
  const QString wanted = caption.trimmed();
  for (int32_t language : {kpxLanguageItalian, kpxLanguageEnglish}) {
    const QStringList captions = rowDelimiterCaptions(language);
    for (int32_t code = 0; code < captions.size(); ++code)
      if (captions[code].compare(wanted, Qt::CaseInsensitive) == 0) return code;
  }
  bool number = false;
  const int code = wanted.toInt(&number);
  return number && code >= 0 && code <= 6 ? code : -1;
}

int16_t loadPreviewRows(const QString& path, const QString& delimiter, int16_t firstRow) {
  modMain::ClearPreview();
  const int32_t code = rowDelimiterCode(delimiter);
  if (code < 0) return -2;
  return modMain::CreatePreview(path.toStdString(), std::to_string(code), firstRow);
}

}  // namespace kpx::ui
