#include "converters/iflmfr/frconv.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include "converters/iflmfr/fr_qimage.h"

namespace lumora::fr {

std::string default_output_name(const std::string& input) {
    const QFileInfo info(QString::fromLocal8Bit(input));
    QString base = info.fileName();
    if (base.endsWith(QLatin1String(".fr"), Qt::CaseInsensitive)) base.chop(3);
    const QString dir = info.path();
    const QString out = (input.find('/') == std::string::npos ? QString() : dir + QLatin1Char('/')) + base +
                        QLatin1String(".png");
    return out.toLocal8Bit().toStdString();
}

bool convert_file(const std::string& input, const std::string& output, std::string& error) {
    const QString out_name = QString::fromLocal8Bit(output);
    const QString suffix = QFileInfo(out_name).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("bmp")) {
        error = output + ": output must end in .png or .bmp";
        return false;
    }
    QFile in(QString::fromLocal8Bit(input));
    if (!in.open(QIODevice::ReadOnly)) {
        error = input + ": cannot open: " + in.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        error = input + ": cannot read: " + in.errorString().toStdString();
        return false;
    }
    const QImage image = decode_to_qimage(bytes);
    if (image.isNull()) {
        error = input + ": not a complete .fr bitmap resource";
        return false;
    }
    // Written beside the target and renamed at the end, so a failed run
    // never leaves a half-written picture in place of a good one.
    QSaveFile file(out_name);
    if (!file.open(QIODevice::WriteOnly)) {
        error = output + ": cannot create: " + file.errorString().toStdString();
        return false;
    }
    QImageWriter writer(&file, suffix.toLatin1());
    if (!writer.write(image)) {
        error = output + ": cannot write: " + writer.errorString().toStdString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = output + ": cannot write: " + file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace lumora::fr
