// orvconv as build scripts run it: no window, messages on standard error.

#include <gtest/gtest.h>
#include <QProcess>
#include <QTemporaryDir>

#include "converters/orvconv/orv_test_maps.h"

namespace {

struct ProgramRun {
    int status = -1;
    QString err;
};

ProgramRun orvconv(const QString& cwd, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(cwd);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));  // must not need one
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMORA_BIN_DIR "/orvconv"), args);
    ProgramRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class OrvHeadless : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void place(const orvtest::Reference& ref, const QString& folder) {
        QDir().mkpath(dir.filePath(folder));
        orvtest::write_file(dir.filePath(folder + QStringLiteral("/map.fr")).toStdString(),
                            orvtest::make_map(ref.shape));
        orvtest::write_text(dir.filePath(folder + QStringLiteral("/mapinfo.dat")).toStdString(), ref.mapinfo);
    }
    orvtest::Bytes read(const char* name) {
        return orvtest::read_file(dir.filePath(QLatin1String(name)).toStdString());
    }
    QTemporaryDir dir;
};

TEST_F(OrvHeadless, ConvertsIntoCurrentFolder) {
    const auto ref = orvtest::wide_map(65536 + 300);
    place(ref, QStringLiteral("src"));
    const ProgramRun r = orvconv(dir.path(), {QStringLiteral("src/map.fr")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_EQ(read("ORVMAPA.fr"), ref.header_file);
    const auto tiles = orvtest::tiles_of(ref.shape);
    EXPECT_EQ(read("ORVMAPB1.fr"), orvtest::Bytes(tiles.begin(), tiles.begin() + 65536));
    EXPECT_EQ(read("ORVMAPB2.fr"), orvtest::Bytes(tiles.begin() + 65536, tiles.end()));
}

TEST_F(OrvHeadless, AbsoluteOptionAndBareFileName) {
    const auto ref = orvtest::absolute_map();
    place(ref, QStringLiteral("."));
    const ProgramRun r = orvconv(dir.path(), {QStringLiteral("--absolute"), QStringLiteral("map.fr")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(read("ORVMAPA.fr"), ref.header_file);
}

TEST_F(OrvHeadless, FailuresAndMisuse) {
    ProgramRun r = orvconv(dir.path(), {QStringLiteral("nowhere/map.fr")});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, QStringLiteral("座標 ファイルを開けません\n"));

    place(orvtest::wide_map(4 * 65536), QStringLiteral("big"));
    r = orvconv(dir.path(), {QStringLiteral("big/map.fr")});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, QStringLiteral("ファイルが大きすぎます\n"));

    r = orvconv(dir.path(), {QStringLiteral("--absolute")});
    EXPECT_EQ(r.status, 2);
    r = orvconv(dir.path(), {QStringLiteral("a.fr"), QStringLiteral("b.fr")});
    EXPECT_EQ(r.status, 2);
    r = orvconv(dir.path(), {QStringLiteral("--bogus")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Usage")));
    EXPECT_EQ(orvconv(dir.path(), {QStringLiteral("--help")}).status, 0);
}

}  // namespace
