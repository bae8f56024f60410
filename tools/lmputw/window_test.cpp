// The progress dialog and the windowed run, in-process on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "tests/e2e/console_process.h"
#include "tests/support/qt_app.h"
#include "tests/support/scripted_boxes.h"
#include "ui/cell_font.h"
#include "ui/dialog_units.h"
#include "virtual_console.h"
#include "window_run.h"

namespace lumora::lmputw {
namespace {

TEST(ProgressDialog, LayoutFontAndPlacement) {
    testing::qt_app();
    ProgressDialog d;
    const QFont font = ui::dialog_font();
    EXPECT_EQ(d.windowTitle(), "lmPut");
    EXPECT_EQ(d.font().family(), "IPAPGothic");
    EXPECT_EQ(d.font().pointSize(), 9);
    EXPECT_EQ(d.size(), ui::dialog_units_to_pixels(font, 162, 31));
    EXPECT_EQ(d.status_line()->geometry(), ui::dialog_units_rect(font, 3, 3, 156, 12));
    EXPECT_EQ(d.progress_bar()->geometry(), ui::dialog_units_rect(font, 3, 15, 114, 12));
    EXPECT_EQ(d.cancel_button()->geometry(), ui::dialog_units_rect(font, 120, 15, 39, 14));
    EXPECT_EQ(d.cancel_button()->text(), "キャンセル");
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(d.testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST(ProgressDialog, CancelEscapeAndClosingOnlyAskTheRunToStop) {
    testing::qt_app();
    ProgressDialog d;
    int asked = 0;
    d.on_cancel = [&] { ++asked; };
    d.show();
    d.cancel_button()->click();
    QTest::keyClick(&d, Qt::Key_Escape);
    d.close();
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(d.isVisible()) << "the dialog waits for the run to end";
    d.finish();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(asked, 3);
}

TEST(ProgressDialog, ProgressOfHugeTotalsStaysInRange) {
    testing::qt_app();
    ProgressDialog d;
    d.show_progress(384, 1024);
    EXPECT_EQ(d.progress_bar()->maximum(), 1024);
    EXPECT_EQ(d.progress_bar()->value(), 384);
    const size_t huge = size_t{1} << 40;
    d.show_progress(huge / 2, huge);
    EXPECT_GT(d.progress_bar()->maximum(), 0);
    EXPECT_EQ(d.progress_bar()->value(), d.progress_bar()->maximum() / 2);
}

TEST(NoFilesBox, IsAnInformationBox) {
    testing::qt_app();
    testing::ScriptedBoxes boxes;
    boxes.expect("転送するファイルをアイコンにドロップしてください", ui::BoxAnswer::ok);
    ui::ScopedMessageBoxes scoped(boxes);
    show_no_files_box();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].icon, ui::BoxIcon::information);
    EXPECT_EQ(boxes.shown()[0].buttons, ui::BoxButtons::ok);
}

// The worker's texts arrive in the dialog; Cancel pressed during the upload
// aborts it, and nothing is run.
TEST(DialogRun, CancelDuringAnUploadStopsTheRunAndRunsNothing) {
    testing::qt_app();
    testing::TempDir tmp;
    Console console(tmp);
    // At 9600 bit/s the upload of 40 blocks lasts over 5 s.
    ASSERT_TRUE(console.start({"--line-rate", "9600"}));
    e2e::write_bytes(tmp / "long.bin", e2e::pattern(5000, 9));

    TransferOptions options;
    options.execute = true;
    options.files = {tmp / "long.bin"};
    RunEnvironment env;
    env.device_of_port = [&](int) { return console.link(); };
    env.keyboard = [] { return Keyboard{}; };
    DialogRun run(options, std::move(env));
    QString caption, status;
    QPushButton* cancel = run.dialog().cancel_button();
    ProgressDialog* dialog = &run.dialog();
    // On the first block's progress, press Cancel as a user would.
    QObject::connect(run.dialog().progress_bar(), &QProgressBar::valueChanged, cancel, [&](int value) {
        if (value > 0 && caption.isEmpty()) {
            caption = dialog->windowTitle();
            status = dialog->status_line()->text();
            cancel->click();
        }
    });
    EXPECT_EQ(run.exec(), 1);
    EXPECT_EQ(caption, "[1/1] long.bin -> /rom0/");
    EXPECT_EQ(status, "ファイル送信中...");
    EXPECT_FALSE(run.dialog().isVisible());
    EXPECT_FALSE(e2e::file_exists(console.stored("long.bin")));
    const std::string t = console.transcript();
    EXPECT_NE(t.find("< CAN CAN"), std::string::npos) << t;
    EXPECT_EQ(t.find("< exec"), std::string::npos) << t;
}

}  // namespace
}  // namespace lumora::lmputw
