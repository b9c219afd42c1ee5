#include "ui/icons.h"

namespace kpx::ui {

const std::vector<std::pair<const char*, const char*>>& iconTable() {
  // Full-colour Adwaita icons; its monochrome "-symbolic" set is avoided on purpose, as those
  // come out grey on the window's buttons.
  static const std::vector<std::pair<const char*, const char*>> table = {
      {"ICO_MAIN", "emblem-synchronizing"},
      {"ICO_SOURCEDESTINATION", "network-transmit-receive"},
      {"ICO_MAPPA", "x-office-spreadsheet"},
      {"ICO_EXECUTION", "system-run"},
      {"ICO_LOADINI", "document-open"},
      {"ICO_SALVA", "document-save"},
      {"ICO_INDIETRO", "go-previous"},
      {"ICO_AVANTI", "go-next"},
      {"ICO_EXECUTE", "media-playback-start"},
      {"ICO_ESCI", "application-exit"},
      {"ICO_CONN", "network-wired"},
      {"ICO_TABLE", "format-justify-fill"},
      {"ICO_ACCESS", "x-office-address-book"},
      {"ICO_SQL", "network-server"},
      {"ICO_EXCEL", "x-office-spreadsheet"},
      {"ICO_WORD", "x-office-document"},
      {"ICO_HTM", "text-html"},
      {"ICO_PROPRIETA", "document-properties"},
      {"ICO_SMALLANTEPRIMA", "document-print-preview"},
      {"ICO_QUERY", "edit-find"},
      {"ICO_SELEZIONA", "edit-select-all"},
      {"Corretto", "emblem-default"},
      {"scorretto", "dialog-error"},
  };
  return table;
}

void useIconTheme() {
  QIcon::setThemeSearchPaths({QStringLiteral(KPX_ICON_THEME_DIR)});
  QIcon::setThemeName(QStringLiteral("Adwaita"));
  QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}

QIcon kpxIcon(std::string_view icoName) {
  for (const auto& [name, themeName] : iconTable())
    if (icoName == name) return QIcon::fromTheme(QString::fromLatin1(themeName));
  return {};
}

}  // namespace kpx::ui
