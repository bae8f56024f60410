#pragma once
// File dialog filters as the programs write them ("Text|*.c;*.h|All|*.*||")
// turned into what Qt's file dialogs take.

#include <QString>
#include <QStringList>

namespace lumora::ui {

// One name filter per description/pattern pair, in order: "Text (*.c *.h)".
// The patterns always go last in their own parentheses, since Qt reads the
// last parenthesised group as the patterns ("ｿｰｽ ﾌｧｲﾙ (c;cpp)" would
// otherwise filter on the names "c" and "cpp"). "*.*" matches every name,
// as it does where these filters come from, so it becomes "*". A pair with
// no patterns is left out.
QStringList name_filters(const QString& windows_filter);

// The same list joined with ";;", for QFileDialog's filter argument.
QString dialog_filter(const QString& windows_filter);

}  // namespace lumora::ui
