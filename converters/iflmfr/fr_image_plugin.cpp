#include "converters/iflmfr/fr_image_plugin.h"

#include <QImage>
#include <QSize>
#include <QVariant>

#include "converters/iflmfr/fr_bitmap.h"
#include "converters/iflmfr/fr_qimage.h"

namespace lumora::fr {

namespace {

std::optional<BitmapHeader> peek_header(QIODevice* device) {
    if (device == nullptr || !device->isReadable()) return std::nullopt;
    const QByteArray head = device->peek(static_cast<qint64>(kBitmapHeaderSize));
    return parse_bitmap_header(
        {reinterpret_cast<const uint8_t*>(head.constData()), static_cast<size_t>(head.size())});
}

}  // namespace

bool FrImageHandler::canRead(QIODevice* device) {
    return peek_header(device).has_value();
}

bool FrImageHandler::canRead() const {
    if (!canRead(device())) return false;
    setFormat("fr");
    return true;
}

bool FrImageHandler::read(QImage* image) {
    if (image == nullptr || device() == nullptr) return false;
    const QImage decoded = decode_to_qimage(device()->readAll());
    if (decoded.isNull()) return false;
    *image = decoded;
    return true;
}

bool FrImageHandler::supportsOption(ImageOption option) const {
    return option == Size;
}

QVariant FrImageHandler::option(ImageOption option) const {
    if (option != Size) return {};
    const auto h = peek_header(device());
    if (!h) return {};
    return QSize(h->width_pixels(), h->height_pixels());
}

QImageIOPlugin::Capabilities FrImagePlugin::capabilities(QIODevice* device, const QByteArray& format) const {
    if (format == "fr") return CanRead;
    if (!format.isEmpty()) return {};
    return FrImageHandler::canRead(device) ? Capabilities(CanRead) : Capabilities();
}

QImageIOHandler* FrImagePlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new FrImageHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArray("fr") : format);
    return handler;
}

}  // namespace lumora::fr
