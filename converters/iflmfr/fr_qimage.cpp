#include "converters/iflmfr/fr_qimage.h"

#include <cstring>

#include "converters/iflmfr/fr_bitmap.h"

namespace lumora::fr {

QImage decode_to_qimage(const QByteArray& bytes) {
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()));
    const auto img = decode_indexed(data);
    if (!img || img->width == 0 || img->height == 0) return {};
    QImage out(img->width, img->height, QImage::Format_Indexed8);
    if (out.isNull()) return {};
    QList<QRgb> table;
    for (uint32_t c : img->palette) table.append(c);
    out.setColorTable(table);
    for (int y = 0; y < img->height; ++y)
        std::memcpy(out.scanLine(y), img->indices.data() + static_cast<size_t>(y) * img->width,
                    static_cast<size_t>(img->width));
    return out;
}

}  // namespace lumora::fr
