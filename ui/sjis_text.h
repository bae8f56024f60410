#pragma once
// Shift-JIS bytes (what the models hold) to and from QString (what the
// screen, the clipboard and the dialogs take).

#include <QString>
#include <string>
#include <string_view>

namespace lumora::ui {

// Bytes that do not form a Shift-JIS character become U+FFFD, one each.
QString from_sjis(std::string_view bytes);

// Each character that Shift-JIS cannot hold becomes '?', one for one; the rest
// is converted whole. `exact` tells whether nothing was replaced.
std::string to_sjis(const QString& text, bool* exact = nullptr);

}  // namespace lumora::ui
