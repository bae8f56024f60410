#include "ui/file_filter.h"

namespace lumora::ui {

QStringList name_filters(const QString& windows_filter) {
    // The list ends at the first empty field ("||"), as the originals do.
    const QStringList fields = windows_filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString& description = fields[i];
        if (description.isEmpty()) break;
        QStringList patterns;
        for (QString p : fields[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p.isEmpty()) continue;
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
            if (!patterns.contains(p)) patterns.push_back(p);
        }
        if (patterns.isEmpty()) continue;
        out.push_back(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')'));
    }
    return out;
}

QString dialog_filter(const QString& windows_filter) {
    return name_filters(windows_filter).join(QStringLiteral(";;"));
}

}  // namespace lumora::ui
