#include "ui/sjis_text.h"

#include "common/cp932.h"

namespace lumora::ui {

QString from_sjis(std::string_view bytes) {
    const std::string utf8 = cp932::to_utf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

namespace {

bool has_lone_surrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string to_sjis(const QString& text, bool* exact) {
    // A lone surrogate has no UTF-8 form; Qt writes a replacement for it, which
    // in turn becomes '?' below, as any other unconvertible character does.
    const QByteArray utf8 = text.toUtf8();
    bool converted_exactly = true;
    std::string out = cp932::from_utf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())),
                                       &converted_exactly);
    if (exact) *exact = converted_exactly && !has_lone_surrogate(text);
    return out;
}

}  // namespace lumora::ui
