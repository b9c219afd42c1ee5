// The system's icon names (ICO_…) and the freedesktop theme icons that stand for them.
#pragma once
#include <QIcon>
#include <QString>
#include <string_view>
#include <utility>
#include <vector>

namespace kpx::ui {

// Every ICO_ name the windows use, with the theme icon drawn for it.
const std::vector<std::pair<const char*, const char*>>& iconTable();

// Points Qt at the installed Adwaita theme. The offscreen platform has no platform theme, so
// the search path and theme name are set explicitly. Called once before the first window.
void useIconTheme();

// The icon for an ICO_ name; a null icon for a name not in the table.
QIcon kpxIcon(std::string_view icoName);

}  // namespace kpx::ui
