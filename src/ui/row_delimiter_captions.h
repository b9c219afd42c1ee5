// The row delimiter list of the connection dialog as the preview loader reads it: each entry
// carries its code, and a caption in either language names its delimiter, so the window's
// language never changes which rows the preview shows.
#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

namespace kpx::ui {

// The entries of the row delimiter list in `language`, in code order (position = code).
QStringList rowDelimiterCaptions(int32_t language);

// The code (0 to 6) that `caption` names in either language, or the code written as a
// number; -1 for anything else.
int32_t rowDelimiterCode(const QString& caption);

// Empties the preview rows and loads the first rows of `path` split at the delimiter that
// `delimiter` names (a caption or a code); CreatePreview's answer: 1 done, -2 the delimiter
// does not occur. A file that cannot be read throws as CreatePreview does.
int16_t loadPreviewRows(const QString& path, const QString& delimiter, int16_t firstRow);

}  // namespace kpx::ui
