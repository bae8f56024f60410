#include "ui/file_filter.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFileSystemModel>

#include "tests/support/qt_app.h"

namespace lumora::ui {
namespace {

TEST(FileFilter, TheIdeFiltersBecomeQtNameFilters) {
    EXPECT_EQ(
        name_filters(QStringLiteral("ｿｰｽ ﾌｧｲﾙ (c;cpp)|*.c;*.cpp|ｲﾝｸﾙｰﾄﾞ ﾌｧｲﾙ (h)|*.h|All Files (*.*)|*.*||")),
        (QStringList{QStringLiteral("ｿｰｽ ﾌｧｲﾙ (c;cpp) (*.c *.cpp)"), QStringLiteral("ｲﾝｸﾙｰﾄﾞ ﾌｧｲﾙ (h) (*.h)"),
                     QStringLiteral("All Files (*.*) (*)")}));
    EXPECT_EQ(dialog_filter(QStringLiteral("C Files (*.c)|*.c|H Files (*.h)|*.h|All Files (*.*)|*.*||")),
              QStringLiteral("C Files (*.c) (*.c);;H Files (*.h) (*.h);;All Files (*.*) (*)"));
    EXPECT_EQ(dialog_filter(QStringLiteral("All Files (*.*)|*.*||")), QStringLiteral("All Files (*.*) (*)"));
}

// Qt takes the last parenthesised group of a name filter as its patterns:
// what it reads back must be the patterns given, not words of the text.
TEST(FileFilter, QtReadsBackThePatternsGiven) {
    testing::qt_app();
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* files = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    dialog.setNameFilters(name_filters(QStringLiteral("ｿｰｽ ﾌｧｲﾙ (c;cpp)|*.c;*.cpp|All Files (*.*)|*.*||")));
    EXPECT_EQ(files->nameFilters(), (QStringList{"*.c", "*.cpp"}));
    dialog.selectNameFilter(dialog.nameFilters().at(1));
    EXPECT_EQ(files->nameFilters(), (QStringList{"*"}));
}

TEST(FileFilter, MalformedTextsGiveWhatCanBeUsed) {
    EXPECT_TRUE(name_filters(QString()).isEmpty());
    EXPECT_TRUE(name_filters(QStringLiteral("||")).isEmpty());
    // No trailing "||", spaces around patterns, an empty pattern field.
    EXPECT_EQ(name_filters(QStringLiteral("Text| *.txt ;;*.TXT|Nothing||Later|*.x")),
              (QStringList{QStringLiteral("Text (*.txt *.TXT)"), QStringLiteral("Later (*.x)")}));
    // A description without its pattern field is dropped.
    EXPECT_EQ(name_filters(QStringLiteral("Text|*.txt|Orphan")),
              (QStringList{QStringLiteral("Text (*.txt)")}));
    // Everything after the first empty description is ignored.
    EXPECT_EQ(name_filters(QStringLiteral("A|*.a|||B|*.b")), (QStringList{QStringLiteral("A (*.a)")}));
}

}  // namespace
}  // namespace lumora::ui
