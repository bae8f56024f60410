#include "ide/editview/clipboard_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ui/sjis_text.h"

namespace lumora::editview {

QString clipboard_from_sjis(std::string_view sjis) {
    std::string lf;
    lf.reserve(sjis.size());
    for (size_t i = 0; i < sjis.size(); ++i) {
        if (sjis[i] == '\r' && i + 1 < sjis.size() && sjis[i + 1] == '\n') continue;
        lf.push_back(sjis[i]);
    }
    return ui::from_sjis(lf);
}

std::string clipboard_to_sjis(const QString& text, bool* exact) {
    return ui::to_sjis(text, exact);
}

void put_on_clipboard(std::string_view sjis) {
    QGuiApplication::clipboard()->setText(clipboard_from_sjis(sjis));
}

bool clipboard_has_text() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

std::string take_from_clipboard() {
    return clipboard_to_sjis(QGuiApplication::clipboard()->text());
}

}  // namespace lumora::editview
