#pragma once
// Decoded .fr bitmaps as QImage (shared by the image plug-in and frconv).

#include <QByteArray>
#include <QImage>

namespace lumora::fr {

// An 8-bit indexed QImage with the resource's palette; a null image when the
// bytes are not a complete, supported bitmap resource.
QImage decode_to_qimage(const QByteArray& bytes);

}  // namespace lumora::fr
