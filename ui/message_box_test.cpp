#include "ui/message_box.h"
#include "tests/support/qt_app.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/support/scripted_boxes.h"

namespace lumora::ui {
namespace {

QApplication& app() {
    return testing::qt_app();
}

// Runs `act` on the box once it is shown, then returns what show() answered.
BoxAnswer answer_real_box(const Box& box, std::function<void(QMessageBox&)> act, Box* seen = nullptr) {
    app();
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        if (seen) {
            seen->caption = shown->windowTitle();
            seen->text = shown->text();
        }
        act(*shown);
    });
    QtMessageBoxes boxes;
    return boxes.show(nullptr, box);
}

TEST(MessageBox, RealBoxCarriesTextsAndAnswersTheChosenButton) {
    Box box{QStringLiteral("Kelvane"), QStringLiteral("保存しますか？"), BoxIcon::question,
            BoxButtons::yes_no_cancel, BoxAnswer::no};
    Box seen;
    // Enter presses the default button.
    EXPECT_EQ(answer_real_box(
                  box, [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Return); }, &seen),
              BoxAnswer::no);
    EXPECT_EQ(seen.caption, box.caption);
    EXPECT_EQ(seen.text, box.text);
    // Escape cancels where there is a Cancel button, answers No where there is not.
    EXPECT_EQ(answer_real_box(box, [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }),
              BoxAnswer::cancel);
    box.buttons = BoxButtons::yes_no;
    box.default_answer.reset();
    EXPECT_EQ(answer_real_box(box, [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }),
              BoxAnswer::no);
    EXPECT_EQ(answer_real_box(box, [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Return); }),
              BoxAnswer::yes);
    box.buttons = BoxButtons::retry_cancel;
    EXPECT_EQ(answer_real_box(box, [](QMessageBox& b) { b.button(QMessageBox::Retry)->click(); }),
              BoxAnswer::retry);
}

TEST(MessageBox, ScopedBoxesTakeEveryBoxAndRestoreThePreviousOnes) {
    testing::ScriptedBoxes outer;
    outer.expect(QStringLiteral("outer"), BoxAnswer::ok);
    ScopedMessageBoxes outer_scope(outer);
    {
        testing::ScriptedBoxes inner;
        inner.expect(QStringLiteral("first"), BoxAnswer::yes)
            .expect(QStringLiteral("second"), BoxAnswer::cancel);
        ScopedMessageBoxes inner_scope(inner);
        EXPECT_EQ(show_box(nullptr, {QString(), QStringLiteral("the first box"), BoxIcon::question,
                                     BoxButtons::yes_no}),
                  BoxAnswer::yes);
        EXPECT_EQ(show_box(nullptr, {QString(), QStringLiteral("a second box"), BoxIcon::question,
                                     BoxButtons::yes_no_cancel}),
                  BoxAnswer::cancel);
        EXPECT_TRUE(inner.all_shown());
        ASSERT_EQ(inner.shown().size(), 2u);
        EXPECT_EQ(inner.shown()[1].buttons, BoxButtons::yes_no_cancel);
    }
    EXPECT_EQ(show_box(nullptr, {QString(), QStringLiteral("outer")}), BoxAnswer::ok);
}

TEST(MessageBox, ScriptedBoxesFailOnSurprisesAndOnBoxesThatNeverCame) {
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedBoxes boxes;
            ScopedMessageBoxes scope(boxes);
            // Unexpected: answered as a dismissed box would be.
            EXPECT_EQ(show_box(nullptr,
                               {QString(), QStringLiteral("surprise"), BoxIcon::warning, BoxButtons::yes_no}),
                      BoxAnswer::no);
        },
        "unexpected message box");
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedBoxes boxes;
            boxes.expect(QStringLiteral("never"), BoxAnswer::ok);
        },
        "never shown");
    EXPECT_NONFATAL_FAILURE(
        {
            testing::ScriptedBoxes boxes;
            boxes.expect(QStringLiteral("this one"), BoxAnswer::ok);
            ScopedMessageBoxes scope(boxes);
            show_box(nullptr, {QString(), QStringLiteral("another one")});
            show_box(nullptr, {QString(), QStringLiteral("this one")});
        },
        "unexpected message box");
}

}  // namespace
}  // namespace lumora::ui
