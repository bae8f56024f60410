#pragma once
// Lets every Qt program read .fr bitmap resources ("fr" image format).

#include <QImageIOHandler>
#include <QImageIOPlugin>

namespace lumora::fr {

class FrImageHandler : public QImageIOHandler {
  public:
    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;

    // True when the device's next bytes start a supported bitmap resource
    // (nothing is consumed).
    static bool canRead(QIODevice* device);
};

class FrImagePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QImageIOHandlerFactoryInterface" FILE "fr.json")

  public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format = QByteArray()) const override;
};

}  // namespace lumora::fr
