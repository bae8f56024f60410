#include "ide/editview/text_edit_view.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <utility>

#include "ide/editor/colour_lookup.h"
#include "ide/editor/keyword_db.h"
#include "ide/editview/view_test_support.h"
#include "ui/cell_font.h"
#include "ui/sjis_text.h"

namespace lumora::editview {
namespace {

using editor::CaretPos;
using editor::CTextDoc;
using testing::key;
using testing::lines;
using testing::make_view;
using testing::type;
using Lines = std::vector<std::string>;

class EditView : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::application(); }
};

TEST_F(EditView, KeysEditThroughTheController) {
    CTextDoc doc(nullptr, 4);
    EditEnvironment env;
    auto view = make_view(doc, env);
    QWidget* w = view.get();
    type(w, "ab");
    key(w, Qt::Key_Return);
    key(w, Qt::Key_Tab);
    type(w, "c");
    EXPECT_EQ(lines(doc), (Lines{"ab", "\tc"}));
    EXPECT_EQ(view->controller().caret(), (CaretPos{5, 1}));
    // Enter keeps the indentation in virtual space; typing fills it in.
    key(w, Qt::Key_Return);
    EXPECT_EQ(view->controller().caret(), (CaretPos{4, 2}));
    type(w, "d");
    EXPECT_EQ(lines(doc), (Lines{"ab", "\tc", "\td"}));
    // Shift+Home selects back to the indentation; typing replaces it.
    key(w, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_TRUE(view->controller().has_selection());
    type(w, "e");
    EXPECT_EQ(lines(doc), (Lines{"ab", "\tc", "\te"}));
    for (int i = 0; i < 3; ++i) key(w, Qt::Key_Backspace);
    EXPECT_EQ(lines(doc), (Lines{"ab", "\tc"}));
    EXPECT_EQ(view->controller().caret(), (CaretPos{5, 1}));
    // Insert toggles overwrite; a letter then replaces the character under it.
    key(w, Qt::Key_Home, Qt::ControlModifier);
    key(w, Qt::Key_Insert);
    EXPECT_TRUE(view->overwrite());
    type(w, "X");
    EXPECT_EQ(lines(doc), (Lines{"Xb", "\tc"}));
    key(w, Qt::Key_Insert);
    // Ctrl+Delete, then undo everything back to the empty document.
    key(w, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(lines(doc), (Lines{"X", "\tc"}));
    while (doc.can_undo()) key(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(lines(doc).empty() || lines(doc) == Lines{""});
    EXPECT_FALSE(doc.modified());
    key(w, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(doc.modified());
    // Right runs into virtual space up to column 511 and stops there.
    key(w, Qt::Key_End);
    for (int i = 0; i < 600; ++i) key(w, Qt::Key_Right);
    EXPECT_EQ(view->controller().caret().column, 511);
    EXPECT_TRUE(view->horizontal_axis().is_visible(511));
}

TEST_F(EditView, MouseSnapsExtendsAndSelectsTokens) {
    CTextDoc doc(nullptr, 8);
    doc.set_lines({"\ta", "count = 12;", "x"});
    EditEnvironment env;
    auto view = make_view(doc, env);
    QWidget* vp = view->viewport();
    auto at = [&](int column, int line) { return view->cell_rect({column, line}).center(); };
    // Column 5 lies inside the tab: the caret snaps to its left edge.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, at(5, 0));
    EXPECT_EQ(view->controller().caret(), (CaretPos{0, 0}));
    key(view.get(), Qt::Key_Right);
    EXPECT_EQ(view->controller().caret(), (CaretPos{8, 0}));
    // Shift+click extends from the caret; a drag moves only the caret end.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, at(3, 1));
    EXPECT_EQ(view->controller().anchor(), (CaretPos{8, 0}));
    EXPECT_EQ(view->controller().caret(), (CaretPos{3, 1}));
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, at(2, 1));
    QTest::mouseMove(vp, at(6, 1));
    QMouseEvent move(QEvent::MouseMove, at(7, 1), vp->mapToGlobal(at(7, 1)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, at(8, 1));
    EXPECT_EQ(view->controller().anchor(), (CaretPos{2, 1}));
    EXPECT_EQ(view->controller().caret(), (CaretPos{8, 1}));
    // A double click selects the token under it, caret at its start; past
    // the end of the line it does nothing; below the text, the last line.
    QTest::mouseDClick(vp, Qt::LeftButton, Qt::NoModifier, at(9, 1));
    EXPECT_EQ(view->controller().caret(), (CaretPos{8, 1}));
    EXPECT_EQ(view->controller().anchor(), (CaretPos{10, 1}));
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, at(4, 7));
    EXPECT_EQ(view->controller().caret(), (CaretPos{4, 2}));
    // The wheel scrolls 4 lines a notch without moving the caret.
    doc.set_lines(std::vector<std::string>(100, "line"));
    doc.notify(nullptr, editor::kHintFullRedraw);
    QWheelEvent wheel(at(1, 1), vp->mapToGlobal(at(1, 1)), {}, QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &wheel);
    EXPECT_EQ(view->vertical_axis().position(), 8);
    EXPECT_EQ(view->controller().caret(), (CaretPos{4, 2}));
}

// Distinct colours per class so a grab tells them apart.
struct PaintFixture {
    editor::ColourArray text{};
    editor::ColourArray back{};
    PaintFixture() {
        for (int i = 0; i < ide::kColourClassCount; ++i) {
            text[i] = editor::make_colorref(0, 0, 0);
            back[i] = editor::kSystemColour;
        }
        back[ide::kColourCpp] = editor::make_colorref(255, 0, 0);
        back[ide::kColourMark] = editor::make_colorref(0, 255, 0);
        back[ide::kColourRem] = editor::make_colorref(0, 0, 255);
        back[ide::kColourString] = editor::make_colorref(255, 255, 0);
        back[ide::kColourNumber] = editor::make_colorref(128, 0, 128);
        back[ide::kColourSelect] = editor::make_colorref(0, 0, 0);
        text[ide::kColourSelect] = editor::make_colorref(255, 255, 255);
        text[ide::kColourCpp] = editor::make_colorref(255, 255, 255);
    }
};

TEST_F(EditView, PaintFollowsTheColourRunsSelectionAndBookmarks) {
    auto db = editor::KeywordDatabase::parse("C\n{\nint\n#include\n}\n");
    CTextDoc doc(&db, 4);
    doc.set_lines({"int x = 12; // c", "#include <a.h>", "plain", "\"s\" /* r */"});
    doc.set_text_type(editor::kTypeC);
    EditEnvironment env;
    PaintFixture colours;
    env.set_colours(colours.text, colours.back);
    auto view = make_view(doc, env, 40, 6);
    doc.set_bookmark(2, true);
    // Select "x = 1" on line 0 (columns 4-8).
    view->act([](editor::EditController& c) { c.set_selection({4, 0}, {9, 0}); });
    view->clearFocus();
    QApplication::processEvents();
    const QImage img = view->viewport()->grab().toImage();
    if (qEnvironmentVariableIsSet("EDITVIEW_GRAB")) img.save(qEnvironmentVariable("EDITVIEW_GRAB"));
    const auto& cell = env.cell();
    auto bg = [&](int column, int line) {
        return QColor(img.pixel(column * cell.width, line * cell.height)).rgb() & 0xFFFFFF;
    };
    auto rgb = [](int r, int g, int b) { return static_cast<unsigned>(r << 16 | g << 8 | b); };
    EXPECT_EQ(bg(0, 0), rgb(255, 0, 0));       // "int": keyword
    EXPECT_EQ(bg(4, 0), rgb(0, 0, 0));         // selected
    EXPECT_EQ(bg(8, 0), rgb(0, 0, 0));         // selected "1"
    EXPECT_EQ(bg(9, 0), rgb(128, 0, 128));     // rest of the number keeps its class
    EXPECT_EQ(bg(10, 0), rgb(0, 255, 0));      // ";"
    EXPECT_EQ(bg(12, 0), rgb(0, 0, 255));      // "//"
    EXPECT_EQ(bg(15, 0), rgb(0, 0, 255));      // comment text
    EXPECT_EQ(bg(9, 1), rgb(255, 255, 0));     // "<" of an include line is a string
    EXPECT_EQ(bg(3, 2), rgb(0, 255, 255));     // bookmarked line: cyan behind the text
    EXPECT_EQ(bg(30, 2), rgb(0, 255, 255));    // ...and across the whole width
    EXPECT_EQ(bg(0, 3), rgb(255, 255, 0));     // string
    EXPECT_EQ(bg(6, 3), rgb(0, 0, 255));       // block comment
    EXPECT_EQ(bg(30, 0), rgb(255, 255, 255));  // past the text: the window
    // Glyphs are drawn in the class's text colour: white on the keyword.
    auto has_colour = [&](int column, int line, int cells, QRgb want) {
        for (int y = line * cell.height; y < (line + 1) * cell.height; ++y)
            for (int x = column * cell.width; x < (column + cells) * cell.width; ++x)
                if (std::abs(qRed(img.pixel(x, y)) - qRed(want)) +
                        std::abs(qGreen(img.pixel(x, y)) - qGreen(want)) +
                        std::abs(qBlue(img.pixel(x, y)) - qBlue(want)) <
                    60)
                    return true;
        return false;
    };
    EXPECT_TRUE(has_colour(0, 0, 3, qRgb(255, 255, 255)));
    EXPECT_TRUE(has_colour(12, 0, 4, qRgb(0, 0, 0)));
    // The end-of-line mark: cyan after the last character of a line.
    EXPECT_TRUE(has_colour(16, 0, 1, qRgb(0, 255, 255)));
    EXPECT_FALSE(has_colour(20, 0, 4, qRgb(0, 255, 255)));
}

TEST_F(EditView, ScrollsToTheLastOfAMillionLines) {
    CTextDoc doc(nullptr, 4);
    std::vector<std::string> many(1000000);
    for (size_t i = 0; i < many.size(); ++i) many[i] = "line " + std::to_string(i + 1);
    doc.set_lines(many);
    EditEnvironment env;
    auto view = make_view(doc, env, 40, 10);
    key(view.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->controller().caret().line, 999999);
    EXPECT_EQ(view->vertical_axis().position(), 999990);
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_LE(bar->maximum(), editor::ScrollAxis::kBarLimit);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(view->line_status(), QString::fromUtf8("1000000行"));
    // One line up from the bottom is still reachable by a bar step.
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view->vertical_axis().position(), 999989);
    // Going to a line puts it near the middle.
    view->go_to_line(500000);
    EXPECT_EQ(view->controller().caret(), (CaretPos{0, 499999}));
    EXPECT_TRUE(view->vertical_axis().is_visible(499999 + 4));
    const QImage img = view->viewport()->grab().toImage();
    EXPECT_FALSE(img.isNull());
}

TEST_F(EditView, TwoViewsOfOneDocumentStayInStep) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"one", "two", "three", "four"});
    EditEnvironment env;
    auto a = make_view(doc, env);
    auto b = make_view(doc, env);
    b->act([](editor::EditController& c) { c.set_selection({0, 3}, {2, 3}); });
    a->setFocus();
    key(a.get(), Qt::Key_Down);
    type(a.get(), "X");
    EXPECT_EQ(doc.line_text(1), "Xtwo");
    // Only the typing view's caret moved.
    EXPECT_EQ(a->controller().caret(), (CaretPos{1, 1}));
    EXPECT_EQ(b->controller().caret(), (CaretPos{2, 3}));
    // Deleting lines under the other view's caret pulls it back into the text.
    b->setFocus();
    key(b.get(), Qt::Key_Home, Qt::ControlModifier);
    key(b.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    key(b.get(), Qt::Key_Delete);
    EXPECT_EQ(lines(doc), (Lines{""}));
    EXPECT_EQ(a->controller().caret().line, 0);
    // Undo in one view restores the text for both.
    key(b.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(doc), (Lines{"one", "Xtwo", "three", "four"}));
    // A bookmark set in one view shows in the other (both repaint from the document).
    a->setFocus();
    key(a.get(), Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(doc.line(a->controller().caret().line)->bookmark);
}

TEST_F(EditView, ClipboardRoundTripKeepsWhatShiftJisCanHold) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"abc"});
    EditEnvironment env;
    auto view = make_view(doc, env);
    QWidget* w = view.get();
    // Characters CP932 has no place for become one '?' each; the rest stays.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("漢é字😀\nｶﾅ"));
    key(w, Qt::Key_End);
    key(w, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(lines(doc), (Lines{"abc\x8a\xbf?\x8e\x9a?", "\xb6\xc5"}));
    // Copy without a selection copies the caret line with its break.
    key(w, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("ｶﾅ\n"));
    // Select across the break and cut: the clipboard gets Unicode, the
    // document loses the text; pasting it back restores the lines.
    key(w, Qt::Key_Up);
    key(w, Qt::Key_Home);
    key(w, Qt::Key_Right);
    key(w, Qt::Key_Down, Qt::ShiftModifier);
    key(w, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("bc漢?字?\nｶ"));
    EXPECT_EQ(lines(doc), (Lines{"a\xc5"}));
    key(w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines(doc), (Lines{"abc\x8a\xbf?\x8e\x9a?", "\xb6\xc5"}));
    EXPECT_TRUE(view->can_paste());
}

TEST_F(EditView, InputMethodCommitsShiftJisAtTheCaretCell) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"ab"});
    EditEnvironment env;
    auto view = make_view(doc, env);
    key(view.get(), Qt::Key_End);
    QInputMethodEvent pre(QString::fromUtf8("かんじ"), {});
    QApplication::sendEvent(view.get(), &pre);
    EXPECT_EQ(view->preedit(), QString::fromUtf8("かんじ"));
    EXPECT_EQ(doc.line_text(0), "ab");  // composing inserts nothing yet
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("漢字"));
    QApplication::sendEvent(view.get(), &commit);
    EXPECT_EQ(doc.line_text(0), "ab\x8a\xbf\x8e\x9a");
    EXPECT_TRUE(view->preedit().isEmpty());
    EXPECT_EQ(view->controller().caret(), (CaretPos{6, 0}));
    // The candidate window goes to the caret cell, in the widget's coordinates.
    const QRectF r = view->inputMethodQuery(Qt::ImCursorRectangle).toRectF();
    const QRect cell = view->cell_rect({6, 0}).translated(view->viewport()->geometry().topLeft());
    EXPECT_EQ(r.topLeft().toPoint(), cell.topLeft());
    EXPECT_EQ(static_cast<int>(r.height()), env.cell().height);
    EXPECT_EQ(view->inputMethodQuery(Qt::ImFont).value<QFont>().family(), env.font().family());
    EXPECT_TRUE(view->inputMethodQuery(Qt::ImEnabled).toBool());
}

// A keyword without a header line is searched in the header instead: whole
// word and matching case, from the top, whatever the find settings say.
TEST_F(EditView, KeywordWithoutLineIsSearchedFromTheTop) {
    CTextDoc header(nullptr, 4);
    header.set_lines({"#define LM_PRINTS 1", "lm_prints();", "void lm_print(const char*);"});
    EditEnvironment henv;
    auto hview = make_view(header, henv, 40, 10);
    hview->controller().set_caret(CaretPos{2, 2});
    EXPECT_TRUE(hview->find_word_from_top("lm_print"));
    EXPECT_EQ(hview->controller().selected_text(), "lm_print");
    EXPECT_EQ(hview->controller().caret(), (CaretPos{13, 2}));
    EXPECT_FALSE(hview->find_word_from_top("LM_PRINT"));
    EXPECT_EQ(hview->controller().caret(), (CaretPos{13, 2}));  // no match: caret stays
}

TEST_F(EditView, NavigationCommandsCaseAndKeywordJump) {
    auto db = editor::KeywordDatabase::parse("Lumora ;1\n{\nlm_print,..\\lumora.h,12\nlm_none\n}\n");
    CTextDoc doc(&db, 4);
    doc.set_lines({"f(a(b)) {", "  lm_print(x);", "}", "abc"});
    doc.set_text_type(editor::kTypeC);
    EditEnvironment env;
    env.set_keywords(&db);
    env.set_platform_folder("/opt/lumo");
    auto view = make_view(doc, env, 40, 10);
    QWidget* w = view.get();
    // Ctrl+] on the first "(" goes to its partner; on "f" to the next "}".
    key(w, Qt::Key_Right);
    key(w, Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(view->controller().caret(), (CaretPos{6, 0}));
    key(w, Qt::Key_Home);
    key(w, Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(view->controller().caret(), (CaretPos{0, 2}));
    // Bookmarks: Ctrl+F2 sets, F2 / Shift+F2 go to the nearest without wrapping.
    key(w, Qt::Key_F2, Qt::ControlModifier);
    key(w, Qt::Key_Home, Qt::ControlModifier);
    key(w, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(view->controller().caret().line, 0);
    key(w, Qt::Key_F2);
    EXPECT_EQ(view->controller().caret(), (CaretPos{0, 2}));
    key(w, Qt::Key_F2);
    EXPECT_EQ(view->controller().caret(), (CaretPos{0, 2}));
    // F12 on a keyword with a header line asks for that file and line.
    QString jumped_path;
    int jumped_line = 0;
    QObject::connect(view.get(), &CTextEditView::keyword_jump,
                     [&](const QString& path, int line, const QString&) {
                         jumped_path = path;
                         jumped_line = line;
                     });
    key(w, Qt::Key_Up);
    for (int i = 0; i < 3; ++i) key(w, Qt::Key_Right);
    key(w, Qt::Key_F12);
    EXPECT_EQ(jumped_path, QStringLiteral("/opt/lumo/include/lumora.h"));
    EXPECT_EQ(jumped_line, 12);
    // Ctrl+Shift+U and Ctrl+U convert the selection and keep it.
    key(w, Qt::Key_Home);
    key(w, Qt::Key_End, Qt::ShiftModifier);
    key(w, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc.line_text(1), "  LM_PRINT(X);");
    EXPECT_TRUE(view->controller().has_selection());
    key(w, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(doc.line_text(1), "  lm_print(x);");
    // Focus: the caret shows only while the view has it.
    EXPECT_TRUE(view->caret_shown());
    view->clearFocus();
    EXPECT_FALSE(view->caret_shown());
}

TEST_F(EditView, EachViewKeepsItsOwnTextType) {
    auto db = editor::KeywordDatabase::parse("C\n{\nint\n}\n");
    CTextDoc doc(&db, 4);
    doc.set_lines({"int x; // note"});
    doc.set_text_type(editor::kTypeC);
    EditEnvironment env;
    PaintFixture colours;
    env.set_colours(colours.text, colours.back);
    auto c_view = make_view(doc, env, 30, 3);
    auto text_view = make_view(doc, env, 30, 3);
    text_view->set_text_type(editor::kTypeText);
    EXPECT_EQ(c_view->text_type(), editor::kTypeC);
    auto background = [&](CTextEditView& v, int column) {
        v.clearFocus();
        const QImage img = v.viewport()->grab().toImage();
        return QColor(img.pixel(column * env.cell().width, 0)).rgb() & 0xFFFFFF;
    };
    // The C view colours the keyword and the comment; the text view draws
    // everything as Default.
    EXPECT_EQ(background(*c_view, 0), 0xFF0000u);
    EXPECT_EQ(background(*c_view, 8), 0x0000FFu);
    EXPECT_EQ(background(*text_view, 0), 0xFFFFFFu);
    EXPECT_EQ(background(*text_view, 8), 0xFFFFFFu);
}

// Text on every kind of background: keywords, numbers, comments, strings,
// kanji and half-width kana, tabs, a bookmark and a selection across lines.
std::vector<std::string> mixed_lines() {
    return {"int x = 12; // \x83\x52\x83\x81\x83\x93\x83\x67",
            "\t\"\x95\xB6\x8E\x9A\x97\xF1 %d\\n\" /* \xB6\xC5 */ x", "plain text with WIDE glyphs: W M @ %",
            "#include <a.h>", "\x01\x7F end"};
}

QImage grab_without_caret(CTextEditView& view) {
    view.clearFocus();
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Characters copied as pre-blended pictures give exactly the pixels the
// painter draws glyph by glyph, for the whole view and for a part of it.
TEST_F(EditView, CharacterPicturesMatchThePainterPixelForPixel) {
    auto db = editor::KeywordDatabase::parse("C\n{\nint\n#include\n}\n");
    CTextDoc doc(&db, 4);
    doc.set_lines(mixed_lines());
    doc.set_text_type(editor::kTypeC);
    doc.set_bookmark(2, true);
    EditEnvironment env;
    PaintFixture colours;
    env.set_colours(colours.text, colours.back);
    auto view = make_view(doc, env, 30, 6);
    view->act([](editor::EditController& c) { c.set_selection({6, 0}, {3, 1}); });
    auto both = [&] {
        env.set_sprite_text(false);
        const QImage painter = grab_without_caret(*view);
        env.set_sprite_text(true);
        const QImage pictures = grab_without_caret(*view);
        return std::pair{painter, pictures};
    };
    const auto [painter, pictures] = both();
    EXPECT_EQ(painter, pictures);
    EXPECT_GT(env.sprites().picture_count(), 20u);
    // Scrolled one column right, so the first kanji stands half outside.
    view->horizontalScrollBar()->setValue(1);
    const auto [painter2, pictures2] = both();
    EXPECT_EQ(painter2, pictures2);
    EXPECT_NE(painter, painter2);
    // A repaint of a band across cells draws what the full repaint drew there.
    const QRect band(env.cell().width * 3 + 2, env.cell().height / 2, env.cell().width * 9,
                     env.cell().height * 2);
    QImage part(view->viewport()->size(), QImage::Format_RGB32);
    part.fill(Qt::magenta);
    view->viewport()->render(&part, band.topLeft(), QRegion(band));
    EXPECT_EQ(part.copy(band), pictures2.copy(band));
    EXPECT_EQ(part.pixel(band.left() - 1, band.top()), QColor(Qt::magenta).rgb());
    // Other sizes put other glyphs on other cell widths; a slanted face
    // reaches into neighbouring cells and goes through the painter.
    QFont slanted = ui::fixed_cell_font(14);
    slanted.setItalic(true);
    for (const QFont& font :
         {ui::fixed_cell_font(8), ui::fixed_cell_font(11), ui::fixed_cell_font(20), slanted}) {
        env.set_font(font);
        const auto [by_painter, by_pictures] = both();
        EXPECT_EQ(by_painter, by_pictures) << font.pixelSize() << (font.italic() ? " italic" : "");
    }
}

// The pictures belong to characters, not to lines: after edits in another
// view, this view shows exactly what a new view of the document shows.
TEST_F(EditView, PicturesFollowEditsMadeInAnotherView) {
    auto db = editor::KeywordDatabase::parse("C\n{\nint\n}\n");
    CTextDoc doc(&db, 4);
    doc.set_lines(mixed_lines());
    doc.set_text_type(editor::kTypeC);
    EditEnvironment env;
    auto a = make_view(doc, env, 30, 6);
    auto b = make_view(doc, env, 30, 6);
    const QImage before = grab_without_caret(*a);
    b->setFocus();
    key(b.get(), Qt::Key_Home, Qt::ControlModifier);
    type(b.get(), QString::fromUtf8("/* 漢"));  // opens a comment over every line below
    key(b.get(), Qt::Key_Down);
    key(b.get(), Qt::Key_Delete, Qt::ControlModifier);
    key(b.get(), Qt::Key_F2, Qt::ControlModifier);
    QApplication::processEvents();
    const QImage after = grab_without_caret(*a);
    EXPECT_NE(after, before);
    auto fresh = make_view(doc, env, 30, 6);
    EXPECT_EQ(after, grab_without_caret(*fresh));
    env.set_sprite_text(false);
    EXPECT_EQ(after, grab_without_caret(*a));
    // New colours (the colour dialog's OK) are new pictures, not old ones.
    PaintFixture colours;
    env.set_colours(colours.text, colours.back);
    const QImage recoloured_by_painter = grab_without_caret(*a);
    env.set_sprite_text(true);
    const QImage recoloured = grab_without_caret(*a);
    EXPECT_NE(recoloured, after);
    EXPECT_EQ(recoloured, recoloured_by_painter);
}

// The composition stands on the grid from the caret on, each character on
// the cells it will take once committed, underlined, with its own cursor.
TEST_F(EditView, CompositionIsDrawnCellByCellWithItsCursor) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"ab"});
    EditEnvironment env;
    auto view = make_view(doc, env, 20, 3);
    key(view.get(), Qt::Key_End);
    const auto& cell = env.cell();
    const QString text = QString::fromUtf8("xかｶ");  // 1 + 2 + 1 cells
    QInputMethodEvent pre(text, {{QInputMethodEvent::Cursor, 1, 1, {}}});
    QApplication::sendEvent(view.get(), &pre);
    EXPECT_EQ(view->preedit_cursor(), 1);
    const QImage composing = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The same text committed, in a view without focus (no caret).
    CTextDoc committed(nullptr, 4);
    committed.set_lines({"ab" + ui::to_sjis(text)});
    auto plain = make_view(committed, env, 20, 3);
    const QImage reference = grab_without_caret(*plain);

    const int left = 2 * cell.width, right = 6 * cell.width;
    const int cursor_x = 3 * cell.width;  // after "x"
    int underline = -1;
    for (int y = 0; y < cell.height && underline < 0; ++y) {
        bool whole = true;
        for (int x = left; x < right && whole; ++x) whole = qGray(composing.pixel(x, y)) < 60;
        if (whole && qGray(composing.pixel(right, y)) > 200) underline = y;
    }
    ASSERT_GE(underline, cell.ascent) << "no underline under the composition";
    for (int y = 0; y < cell.height; ++y) {
        if (y == underline) continue;
        for (int x = left; x < right; ++x) {
            if (x == cursor_x || x == cursor_x + 1) {
                EXPECT_LT(qGray(composing.pixel(x, y)), 60) << "cursor at " << x << "," << y;
                continue;
            }
            ASSERT_EQ(composing.pixel(x, y), reference.pixel(x, y)) << "at " << x << "," << y;
        }
    }
    // Committing clears it; a hidden cursor draws none.
    QInputMethodEvent hidden(QString::fromUtf8("か"), {{QInputMethodEvent::Cursor, 0, 0, {}}});
    QApplication::sendEvent(view.get(), &hidden);
    EXPECT_EQ(view->preedit_cursor(), -1);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("か"));
    QApplication::sendEvent(view.get(), &commit);
    EXPECT_TRUE(view->preedit().isEmpty());
    EXPECT_EQ(doc.line_text(0), "ab\x82\xa9");
}

}  // namespace
}  // namespace lumora::editview
