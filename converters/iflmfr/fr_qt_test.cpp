// The "fr" image format as any Qt program sees it, and the frconv command.

#include <gtest/gtest.h>
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>

#include "converters/iflmfr/fr_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

QByteArray to_qbytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

class FrQt : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "iflmfr_qt_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app = new QCoreApplication(argc, argv);
        // Only our build's plug-in folder should answer for "fr".
        QCoreApplication::addLibraryPath(QStringLiteral(IFLMFR_QT_PLUGIN_ROOT));
    }

    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

    QString write(const QString& name, const Bytes& bytes) {
        const QString path = tmp.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    static frtest::Resource sample(uint8_t mode) {
        frtest::Resource r;
        r.mode = mode;
        r.width = 3;
        r.height = 2;
        r.shades = {0, 255, 90, 30};
        for (int i = 0; i < 16; ++i) r.colours[i] = static_cast<uint16_t>(i * 0x0111);
        r.colours[1] = 0x0F00;
        return r;
    }

    static QRgb expected_colour(const frtest::Resource& r, int index) {
        if (frtest::bits_per_source_pixel(r.mode) == 4) {
            const uint16_t c = r.colours[index];
            return qRgb(((c >> 8) & 15) * 17, ((c >> 4) & 15) * 17, (c & 15) * 17);
        }
        const int g = index < 4 ? 255 - r.shades[index] : 0;
        return qRgb(g, g, g);
    }

    static void expect_picture(const QImage& img, const frtest::Resource& r) {
        ASSERT_FALSE(img.isNull());
        ASSERT_EQ(img.width(), 8 * r.width);
        ASSERT_EQ(img.height(), 8 * r.height);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                ASSERT_EQ(img.pixel(x, y) | 0xFF000000u, expected_colour(r, frtest::source_index(r, x, y)))
                    << x << ',' << y;
    }

    static inline QCoreApplication* app = nullptr;
    QTemporaryDir tmp;
};

TEST_F(FrQt, FormatIsOfferedAndFilesReadByNameAndByContent) {
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("fr"));
    for (uint8_t mode : {0, 1, 4, 5}) {
        const auto r = sample(mode);
        const QString named = write(QStringLiteral("pic%1.fr").arg(mode), frtest::build(r));
        QImageReader by_name(named);
        EXPECT_EQ(by_name.format(), QByteArray("fr"));
        expect_picture(by_name.read(), r);

        // Content sniffing works without the extension.
        const QString anonymous = write(QStringLiteral("pic%1.dat").arg(mode), frtest::build(r));
        QImageReader sniffed(anonymous);
        sniffed.setDecideFormatFromContent(true);
        EXPECT_EQ(sniffed.format(), QByteArray("fr"));
        expect_picture(sniffed.read(), r);
    }
}

TEST_F(FrQt, SizeOptionAndDamagedFiles) {
    QByteArray bytes = to_qbytes(frtest::build(sample(6)));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf, "fr");
    EXPECT_EQ(reader.size(), QSize(24, 16));

    QByteArray cut = bytes.left(bytes.size() - 1);
    QBuffer cut_buf(&cut);
    cut_buf.open(QIODevice::ReadOnly);
    QImageReader cut_reader(&cut_buf, "fr");
    EXPECT_TRUE(cut_reader.read().isNull());

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QBuffer png_buf(&png);
    png_buf.open(QIODevice::ReadOnly);
    QImageReader not_fr(&png_buf, "fr");
    EXPECT_FALSE(not_fr.canRead());
}

class FrConv : public FrQt {
  protected:
    int run(const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.setWorkingDirectory(tmp.path());
        p.start(QStringLiteral(LUMORA_BIN_DIR "/frconv"), args);
        if (!p.waitForFinished(60000)) return -1;
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

TEST_F(FrConv, WritesPngAndBmpAndPicksDefaultName) {
    const auto r = sample(2);
    const QString in = write(QStringLiteral("map.fr"), frtest::build(r));
    ASSERT_EQ(run({in, tmp.filePath(QStringLiteral("out.bmp"))}), 0);
    QImage bmp(tmp.filePath(QStringLiteral("out.bmp")), "BMP");
    expect_picture(bmp, r);
    ASSERT_EQ(run({QStringLiteral("map.fr")}), 0);  // relative name: map.png beside it
    QImage png(tmp.filePath(QStringLiteral("map.png")), "PNG");
    expect_picture(png, r);
}

TEST_F(FrConv, FailuresExitNonZeroWithMessage) {
    QString err;
    EXPECT_NE(run({QStringLiteral("absent.fr")}, &err), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("absent.fr"))) << err.toStdString();

    Bytes damaged = frtest::build(sample(0));
    damaged.pop_back();
    const QString in = write(QStringLiteral("short.fr"), damaged);
    EXPECT_NE(run({in, tmp.filePath(QStringLiteral("short.png"))}, &err), 0);
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("short.png"))));

    const QString good = write(QStringLiteral("good.fr"), frtest::build(sample(0)));
    EXPECT_NE(run({good, tmp.filePath(QStringLiteral("good.gif"))}, &err), 0);
    EXPECT_NE(run({}, &err), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Usage")));
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
}

}  // namespace
