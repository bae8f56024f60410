#pragma once
// Editor text on the desktop's clipboard: Unicode there, Shift-JIS in the
// document. Line breaks travel as the desktop's "\n" (Qt gives Windows its
// CR LF); pasting takes any break the insert understands.

#include <QString>
#include <string>
#include <string_view>

namespace lumora::editview {

QString clipboard_from_sjis(std::string_view sjis);
// Each character Shift-JIS cannot hold becomes one '?'; `exact` tells
// whether none did.
std::string clipboard_to_sjis(const QString& text, bool* exact = nullptr);

// The desktop clipboard.
void put_on_clipboard(std::string_view sjis);
// Empty when the clipboard holds no text.
bool clipboard_has_text();
std::string take_from_clipboard();

}  // namespace lumora::editview
