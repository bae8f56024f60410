// The converter window, offscreen: choosing a file fills the fields, Start
// converts.

#include <gtest/gtest.h>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "converters/orvconv/orv_test_maps.h"
#include "converters/orvconv/orvconv_window.h"

namespace {

using lumora::orv::OrvWindow;

class OrvWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "orvconv_window_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        ASSERT_TRUE(in.isValid() && out.isValid());
        window.setOutputDir(out.path());
        window.setFileChooser([this](QWidget*) { return next_choice; });
        window.setErrorReporter([this](QWidget*, const QString& m) { errors << m; });
    }
    template <typename T>
    T* find(const char* name) {
        auto* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString edit(const char* name) { return find<QLineEdit>(name)->text(); }
    QString place(const orvtest::Reference& ref) {
        const QString fr = in.filePath(QStringLiteral("map.fr"));
        orvtest::write_file(fr.toStdString(), orvtest::make_map(ref.shape));
        orvtest::write_text(in.filePath(QStringLiteral("mapinfo.dat")).toStdString(), ref.mapinfo);
        return fr;
    }
    orvtest::Bytes output(const char* name) {
        return orvtest::read_file(out.filePath(QLatin1String(name)).toStdString());
    }

    QTemporaryDir in, out;
    OrvWindow window;
    QString next_choice;
    QStringList errors;
};

TEST_F(OrvWindowTest, InitialStateTextsAndControls) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Orvコンバータ"));
    EXPECT_EQ(find<QPushButton>("btnFile")->text(), QStringLiteral("ファイル選択"));
    EXPECT_EQ(find<QPushButton>("btnStart")->text(), QStringLiteral("開始"));
    EXPECT_FALSE(find<QPushButton>("btnStart")->isEnabled());
    EXPECT_TRUE(find<QLabel>("Label1")->text().isEmpty());
    for (const char* name : {"editWidth", "editHeight", "editLUlat", "editLUlon", "editRDlat", "editRDlon"})
        EXPECT_EQ(edit(name), QStringLiteral("0")) << name;
    EXPECT_TRUE(find<QLineEdit>("editWidth")->isReadOnly());
    EXPECT_TRUE(find<QLineEdit>("editHeight")->isReadOnly());
    EXPECT_FALSE(find<QLineEdit>("editLUlat")->isReadOnly());
    EXPECT_FALSE(find<QLineEdit>("editRDlon")->isReadOnly());
    EXPECT_EQ(find<QRadioButton>("rdModeNomal")->text(), QStringLiteral("通常"));
    EXPECT_TRUE(find<QRadioButton>("rdModeNomal")->isChecked());
    EXPECT_EQ(find<QRadioButton>("rdModeAbs")->text(), QStringLiteral("絶対値"));
    QStringList groups;
    for (auto* g : window.findChildren<QGroupBox*>()) groups << g->title();
    groups.sort();
    EXPECT_EQ(groups, (QStringList{QStringLiteral("イメージサイズ"), QStringLiteral("右下"),
                                   QStringLiteral("左上")}));
    EXPECT_EQ(OrvWindow::fileFilter(), QStringLiteral("リソースファイル (*.fr)"));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());  // fixed size
    if (const QByteArray shot = qgetenv("ORVCONV_SCREENSHOT"); !shot.isEmpty())
        window.grab().save(QString::fromLocal8Bit(shot));
}

TEST_F(OrvWindowTest, ChoosingFileFillsFieldsAndStartConverts) {
    const auto ref = orvtest::small_map();
    next_choice = place(ref);
    window.show();
    // Start does nothing before a file is chosen.
    QMetaObject::invokeMethod(&window, "start");
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());

    QTest::mouseClick(find<QPushButton>("btnFile"), Qt::LeftButton);
    EXPECT_EQ(find<QLabel>("Label1")->text(), next_choice);
    EXPECT_TRUE(find<QPushButton>("btnStart")->isEnabled());
    EXPECT_EQ(edit("editLUlat"), QStringLiteral("35.704181000"));
    EXPECT_EQ(edit("editLUlon"), QStringLiteral("139.5983860000"));
    EXPECT_EQ(edit("editRDlat"), QStringLiteral("35.604181000"));
    EXPECT_EQ(edit("editRDlon"), QStringLiteral("139.7983860000"));
    EXPECT_EQ(edit("editWidth"), QStringLiteral("40"));
    EXPECT_EQ(edit("editHeight"), QStringLiteral("24"));

    QTest::mouseClick(find<QPushButton>("btnStart"), Qt::LeftButton);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(output("ORVMAPA.fr"), ref.header_file);
    EXPECT_EQ(output("ORVMAPB1.fr"), orvtest::tiles_of(ref.shape));
}

TEST_F(OrvWindowTest, AbsoluteModeAndEditedCorners) {
    const auto ref = orvtest::absolute_map();
    next_choice = place(ref);
    QTest::mouseClick(find<QPushButton>("btnFile"), Qt::LeftButton);
    find<QRadioButton>("rdModeAbs")->click();
    QTest::mouseClick(find<QPushButton>("btnStart"), Qt::LeftButton);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(output("ORVMAPA.fr"), ref.header_file);

    // A corner typed by the user is what gets converted.
    find<QLineEdit>("editLUlat")->setText(QStringLiteral("1500100.9"));
    QTest::mouseClick(find<QPushButton>("btnStart"), Qt::LeftButton);
    const auto header = output("ORVMAPA.fr");
    ASSERT_GE(header.size(), 26u);
    EXPECT_EQ(header[22] | header[23] << 8 | header[24] << 16, 1500100);
}

TEST_F(OrvWindowTest, ProblemsAreReportedAndTheWindowStays) {
    next_choice.clear();  // cancelled dialog: nothing changes
    QTest::mouseClick(find<QPushButton>("btnFile"), Qt::LeftButton);
    EXPECT_TRUE(find<QLabel>("Label1")->text().isEmpty());
    EXPECT_TRUE(errors.isEmpty());

    next_choice = place(orvtest::small_map());  // a good map first
    QTest::mouseClick(find<QPushButton>("btnFile"), Qt::LeftButton);
    ASSERT_EQ(edit("editWidth"), QStringLiteral("40"));

    QDir().mkpath(in.filePath(QStringLiteral("other")));
    next_choice = in.filePath(QStringLiteral("other/lonely.fr"));  // no mapinfo.dat beside it
    orvtest::write_file(next_choice.toStdString(), orvtest::make_map(orvtest::small_map().shape));
    QTest::mouseClick(find<QPushButton>("btnFile"), Qt::LeftButton);
    EXPECT_EQ(errors, QStringList{QStringLiteral("座標 ファイルを開けません")});
    EXPECT_TRUE(find<QPushButton>("btnStart")->isEnabled());
    EXPECT_EQ(find<QLabel>("Label1")->text(), next_choice);
    for (const char* name :
         {"editWidth", "editHeight", "editLUlat", "editRDlon"})  // the first map's are gone
        EXPECT_EQ(edit(name), QStringLiteral("0")) << name;

    // The size fields are still "0": Start refuses instead of dividing by zero.
    QTest::mouseClick(find<QPushButton>("btnStart"), Qt::LeftButton);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[1], QStringLiteral("イメージサイズが正しくありません"));
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
