#include "ide/editview/text_edit_view.h"

#include <QFocusEvent>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethod>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextCharFormat>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "common/sjis.h"
#include "ide/editor/columns.h"
#include "ide/editor/document_set.h"
#include "ide/editor/draw_state.h"
#include "ide/editor/keyword_db.h"
#include "ide/editor/line_paint.h"
#include "ide/editor/search.h"
#include "ide/editview/clipboard_text.h"
#include "ide/editview/edit_environment.h"
#include "ide/editview/keyword_path.h"
#include "ui/sjis_text.h"

namespace lumora::editview {

using editor::CaretKey;
using editor::CaretPos;
using editor::EditController;

namespace {

constexpr int kTotalColumns = EditController::kMaxColumn + 1;
constexpr int kWheelLines = 4;

QColor qcolour(editor::Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// The return arrow drawn after the last character of every line: 8 x 18
// pixels, cyan on transparent.
const QPixmap& end_mark() {
    static const QPixmap mark = [] {
        QPixmap m(8, 18);
        m.fill(Qt::transparent);
        QPainter p(&m);
        p.setPen(QPen(QColor(0, 255, 255), 1));
        p.drawLine(6, 4, 6, 11);
        p.drawLine(6, 11, 1, 11);
        p.drawLine(1, 11, 4, 8);
        p.drawLine(1, 11, 4, 14);
        return m;
    }();
    return mark;
}

// Centred on the line and kept inside it: in cells lower than the mark, a
// part reaching into the next line would show or not depending on that
// line's colours.
void draw_end_mark(QPainter& p, int x, int y, int cell_height) {
    const QPixmap& mark = end_mark();
    const int top = y + (cell_height - mark.height()) / 2;
    const int from = std::max(top, y), to = std::min(top + mark.height(), y + cell_height);
    if (from < to) p.drawPixmap(QPoint(x, from), mark, QRect(0, from - top, mark.width(), to - from));
}

}  // namespace

CTextEditView::CTextEditView(editor::CTextDoc& doc, EditEnvironment& env, QWidget* parent)
    : QAbstractScrollArea(parent),
      doc_(doc),
      env_(env),
      controller_(doc, &env.pending_lead()),
      text_type_(doc.text_type()) {
    setObjectName(QStringLiteral("Kelvane_TextEditViewClass"));
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    h_.set_total(kTotalColumns);
    v_.set_total(doc_.line_count());
    doc_.add_observer(this);
    update_geometry();
}

CTextEditView::~CTextEditView() {
    doc_.remove_observer(this);
}

void CTextEditView::set_text_type(int type) {
    if (type == text_type_) return;
    text_type_ = type;
    viewport()->update();
    emit state_changed();
}

// --- geometry ---

CaretPos CTextEditView::cell_at(QPoint pt) const {
    const auto& c = env_.cell();
    auto div = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    return {h_.position() + div(pt.x(), c.width), v_.position() + div(pt.y(), c.height)};
}

QRect CTextEditView::cell_rect(CaretPos cell) const {
    const auto& c = env_.cell();
    return QRect((cell.column - h_.position()) * c.width, (cell.line - v_.position()) * c.height, c.width,
                 c.height);
}

QRect CTextEditView::caret_rect() const {
    QRect r = cell_rect(controller_.caret());
    if (!controller_.overwrite()) r.setWidth(2);
    return r;
}

void CTextEditView::update_geometry() {
    const auto& c = env_.cell();
    h_.set_visible(viewport()->width() / c.width);
    v_.set_visible(viewport()->height() / c.height);
    controller_.set_visible_rows(v_.visible());
    sync_bars();
}

void CTextEditView::sync_bars() {
    syncing_bars_ = true;
    QScrollBar* vb = verticalScrollBar();
    vb->setRange(0, v_.bar_maximum());
    vb->setPageStep(std::max(1, v_.page() / v_.factor()));
    vb->setSingleStep(1);
    vb->setValue(v_.bar_value());
    QScrollBar* hb = horizontalScrollBar();
    hb->setRange(0, h_.bar_maximum());
    hb->setPageStep(std::max(1, h_.page() / h_.factor()));
    hb->setValue(h_.bar_value());
    syncing_bars_ = false;
}

void CTextEditView::scrollContentsBy(int, int) {
    if (syncing_bars_) return;
    // Bar moved by the user: line steps of a scaled bar move one cell, so
    // every line stays reachable.
    QScrollBar* vb = verticalScrollBar();
    const int dv = vb->value() - v_.bar_value();
    if (dv == 1 || dv == -1)
        v_.scroll_by(dv);
    else
        v_.set_bar_value(vb->value());
    h_.set_bar_value(horizontalScrollBar()->value());
    sync_bars();
    viewport()->update();
    caret_placed();
}

bool CTextEditView::keep_caret_visible() {
    const CaretPos c = controller_.caret();
    const int dh = h_.keep_visible(c.column);
    const int dv = v_.keep_visible(c.line);
    if (dh == 0 && dv == 0) return false;
    sync_bars();
    viewport()->update();
    return true;
}

void CTextEditView::redraw_lines(int first, int end) {
    const auto& c = env_.cell();
    const int top = (first - v_.position()) * c.height;
    const int bottom = (end - v_.position()) * c.height;
    if (bottom <= 0 || top >= viewport()->height()) return;
    viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
}

// --- actions ---

void CTextEditView::begin_action() {
    before_caret_ = controller_.caret();
    before_anchor_ = controller_.anchor();
    before_lines_ = doc_.line_count();
    overwrite_before_ = controller_.overwrite();
}

void CTextEditView::end_action() {
    // Another view may have removed the lines under the caret.
    const CaretPos caret = controller_.caret();
    if (caret.line >= std::max(doc_.line_count(), 1)) controller_.set_caret(caret);
    if (!keep_caret_visible()) {
        auto lo = [](CaretPos a, CaretPos b) { return std::min(a.line, b.line); };
        auto hi = [](CaretPos a, CaretPos b) { return std::max(a.line, b.line); };
        const int first =
            std::min(lo(before_caret_, before_anchor_), lo(controller_.caret(), controller_.anchor()));
        const int last =
            std::max(hi(before_caret_, before_anchor_), hi(controller_.caret(), controller_.anchor()));
        redraw_lines(first, last + 1);
    }
    if (overwrite_before_ != controller_.overwrite()) emit overwrite_changed(controller_.overwrite());
    restart_blink();
    caret_placed();
    emit state_changed();
}

void CTextEditView::caret_placed() {
    const CaretPos c = controller_.caret();
    emit caret_moved(c.line, c.column);
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
}

QString CTextEditView::line_status() const {
    return QString::fromStdString(controller_.line_status());
}

QString CTextEditView::column_status() const {
    return QString::fromStdString(controller_.column_status());
}

void CTextEditView::copy() {
    put_on_clipboard(controller_.copy_text());
}

void CTextEditView::cut() {
    if (!controller_.has_selection()) return;
    act([](EditController& c) { put_on_clipboard(c.cut()); });
}

bool CTextEditView::can_paste() const {
    return clipboard_has_text();
}

void CTextEditView::paste() {
    if (!clipboard_has_text()) return;
    const std::string text = take_from_clipboard();
    act([&](EditController& c) { c.paste(text); });
}

void CTextEditView::delete_command() {
    act([](EditController& c) { c.delete_key(); });
}

void CTextEditView::undo() {
    act([](EditController& c) { c.undo(); });
}

void CTextEditView::redo() {
    act([](EditController& c) { c.redo(); });
}

void CTextEditView::select_all() {
    act([this](EditController& c) {
        const int last = std::max(doc_.line_count() - 1, 0);
        c.set_selection({0, 0}, c.to_caret({static_cast<int>(doc_.line_text(last).size()), last}));
    });
}

void CTextEditView::convert_case(bool upper) {
    if (!controller_.has_selection()) return;
    act([upper](EditController& c) { c.convert_case(upper); });
}

void CTextEditView::toggle_overwrite() {
    act([](EditController& c) { c.toggle_overwrite(); });
}

bool CTextEditView::find_again(bool forward) {
    if (env_.search().find_text.empty()) return false;
    bool found = false;
    act([&](EditController& c) { found = editor::find_and_show(c, env_.search(), forward); });
    return found;
}

bool CTextEditView::find_word_from_top(const std::string& text) {
    if (text.empty()) return false;
    editor::SearchSettings settings;
    settings.find_text = text;
    settings.whole_word = true;
    settings.match_case = true;
    const auto match = editor::search_document(doc_, settings, editor::CaretPos{0, 0}, true);
    if (!match) return false;
    act([&](EditController& c) { c.set_selection(c.to_caret(match->start), c.to_caret(match->end)); });
    return true;
}

void CTextEditView::toggle_bookmark() {
    doc_.toggle_bookmark(controller_.caret().line);
    // Every view of the document shows the mark.
    doc_.notify(this, editor::kHintRetokenized);
}

void CTextEditView::go_to_bookmark(bool forward) {
    const auto line = editor::next_bookmark(doc_, controller_.caret().line, forward);
    if (!line) return;
    act([&](EditController& c) { c.set_caret({0, *line}); });
}

void CTextEditView::clear_bookmarks() {
    for (int i = 0; i < doc_.line_count(); ++i) doc_.set_bookmark(i, false);
    doc_.notify(this, editor::kHintRetokenized);
}

void CTextEditView::match_bracket(bool forward) {
    const auto pos = editor::match_bracket(doc_, controller_.caret_bytes(), forward);
    if (!pos) return;
    act([&](EditController& c) { c.set_caret(c.to_caret(*pos)); });
}

void CTextEditView::keyword_jump_command() {
    if (!env_.keywords()) return;
    const std::string text =
        controller_.has_selection() ? controller_.selected_text() : controller_.word_at_caret();
    if (text.empty()) return;
    const auto jump = host_keyword_jump(*env_.keywords(), text, env_.platform_folder());
    if (!jump) return;
    emit keyword_jump(QString::fromStdString(jump->path), jump->line, ui::from_sjis(jump->keyword));
}

void CTextEditView::go_to_line(int n) {
    act([&](EditController& c) { editor::go_to_line_centred(c, n, [this] { keep_caret_visible(); }); });
}

// --- document notifications ---

void CTextEditView::on_document_update(const void* sender, int hint,
                                       const editor::CTextInvalidateRange* range) {
    if (v_.total() != doc_.line_count()) {
        v_.set_total(doc_.line_count());
        sync_bars();
    }
    if (hint == editor::kHintEdit && range) {
        // Undo and redo: the controller already moved the caret there.
        redraw_lines(range->start_line, range->end_line);
        keep_caret_visible();
        caret_placed();
    } else if (hint == editor::kHintEdit && sender == &controller_) {
        // Our own edit: the lines it touched, or everything below the first
        // of them when lines came or went.
        const int first = std::min({before_caret_.line, before_anchor_.line, controller_.caret().line});
        const int last = std::max({before_caret_.line, before_anchor_.line, controller_.caret().line});
        redraw_lines(first, doc_.line_count() != before_lines_ ? v_.position() + v_.visible() + 2 : last + 1);
    } else {
        viewport()->update();
    }
    if (sender != &controller_) {
        // Lines may be gone under another view's caret or selection.
        const int last = std::max(doc_.line_count() - 1, 0);
        CaretPos c = controller_.caret(), a = controller_.anchor();
        if (c.line > last || a.line > last) {
            c.line = std::min(c.line, last);
            a.line = std::min(a.line, last);
            controller_.set_selection(a, c);
        }
        emit state_changed();
    }
}

// --- painting ---

void CTextEditView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const auto& c = env_.cell();
    const QRect area = event->rect();
    const auto window = qcolour(env_.colours().system().window);
    const int first = v_.position() + std::max(area.top(), 0) / c.height;
    const int end = std::min(v_.position() + area.bottom() / c.height + 2, doc_.line_count());
    // Text is composed in a picture of our own from pre-blended characters
    // and copied once; a scaled screen goes through the painter glyph by glyph.
    const bool compose = env_.sprite_text() && viewport()->devicePixelRatio() == 1.0;
    const int band_bottom = std::min(area.bottom() + 1, (end - v_.position()) * c.height);
    if (first < end) {
        if (compose) {
            const QSize line_size(viewport()->width(), c.height);
            if (line_image_.size() != line_size) line_image_ = QImage(line_size, QImage::Format_RGB32);
            if (band_bottom <= area.bottom())
                p.fillRect(QRect(area.left(), band_bottom, area.width(), area.bottom() + 1 - band_bottom),
                           window);
        } else {
            p.fillRect(area, window);
        }
        env_.sprites().start_frame();
        int state = editor::drawing_entry_state(doc_, text_type_, first, v_.position());
        const int first_x = -h_.position() * c.width;
        for (auto& b : buckets_) {
            b.glyphs.clear();
            b.positions.clear();
        }
        for (int line = first; line < end; ++line) paint_line(p, line, state, first_x, area, compose);
        // Text last, one glyph run per colour class (with pictures: only the
        // characters that reach out of their cells).
        for (size_t k = 0; k < buckets_.size(); ++k) {
            if (buckets_[k].glyphs.isEmpty()) continue;
            QGlyphRun run;
            run.setRawFont(env_.raw_font());
            run.setGlyphIndexes(buckets_[k].glyphs);
            run.setPositions(buckets_[k].positions);
            p.setPen(qcolour(env_.colours().of(static_cast<int>(k)).text));
            p.drawGlyphRun(QPointF(0, 0), run);
        }
    } else {
        p.fillRect(area, window);
    }
    paint_preedit(p);
    // While composing, the composition's cursor stands in for the caret.
    if (caret_on_ && hasFocus() && preedit_.isEmpty()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(caret_rect(), Qt::white);
    }
}

namespace {

QRgb qrgb(editor::Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

// Fills columns [x0, x1) of rows [y0, y1) of an RGB32 picture.
void fill_span(QImage& img, int x0, int x1, int y0, int y1, QRgb colour) {
    if (x0 >= x1) return;
    const qsizetype stride = img.bytesPerLine() / 4;
    auto* bits = reinterpret_cast<uint32_t*>(img.bits());
    for (int y = y0; y < y1; ++y) std::fill_n(bits + y * stride + x0, x1 - x0, colour);
}

// Copies the part of a character picture (`w` pixels wide, its left at
// `left`) that falls in columns [x0, x1), rows [y0, y1) of both.
void copy_sprite(QImage& img, const uint32_t* sprite, int w, int left, int x0, int x1, int y0, int y1) {
    const int from = std::max(left, x0), to = std::min(left + w, x1);
    if (from >= to) return;
    const qsizetype stride = img.bytesPerLine() / 4;
    uint32_t* dst = reinterpret_cast<uint32_t*>(img.bits()) + y0 * stride + from;
    const uint32_t* src = sprite + y0 * w + (from - left);
    const int n = to - from;
    // A few pixels a row: plain stores beat a library call per row.
    for (int y = y0; y < y1; ++y, dst += stride, src += w) {
        int k = 0;
        for (; k + 4 <= n; k += 4) std::memcpy(dst + k, src + k, 16);
        for (; k < n; ++k) dst[k] = src[k];
    }
}

}  // namespace

void CTextEditView::paint_line(QPainter& p, int line, int& state, int first_x, const QRect& area,
                               bool compose) {
    const auto& c = env_.cell();
    const editor::TextLine* l = doc_.line(line);
    if (!l) return;
    const int y = (line - v_.position()) * c.height;
    const bool mark = l->bookmark;
    const int width = viewport()->width();
    // The rows (of the line's picture) and columns this line draws.
    const int y0 = std::max(y, area.top()) - y;
    const int y1 = std::min({y + c.height, area.bottom() + 1, viewport()->height()}) - y;
    const int x0 = std::max(area.left(), 0);
    const int x1 = std::min(area.right() + 1, width);
    const bool in_area = y0 < y1 && x0 < x1;
    const QRgb cyan = qRgb(0, 255, 255);
    // With a picture every pixel is written once: each cell gets its
    // character or its background, the rest of the line the line's colour.
    if (!compose && mark) {
        p.fillRect(0, y, width, c.height, QColor(0, 255, 255));
    }

    static thread_local std::vector<editor::ColourRun> runs;
    static thread_local std::vector<editor::PaintSegment> segments;
    editor::colour_line(*l, text_type_, state, runs);
    // Outside the area the line only carries its comment state on.
    if (compose && !in_area) return;
    if (controller_.has_selection()) {
        const auto [from, to] = controller_.selection_range();
        if (line >= from.line && line <= to.line) {
            const int a = line == from.line ? from.offset : 0;
            const int b = line == to.line ? to.offset : static_cast<int>(l->text.size());
            if (b > a) editor::overlay_selection(runs, a, b);
        }
    }
    const int end_column = editor::paint_segments(l->text, runs, doc_.tab_length(), segments);
    const editor::Rgb window = env_.colours().system().window;
    const qreal baseline = y + c.ascent;
    GlyphSprites& sprites = env_.sprites();
    for (const editor::PaintSegment& seg : segments) {
        const int x = first_x + seg.column * c.width;
        if (x >= width) break;
        const std::string& text = seg.text;
        const int cells = static_cast<int>(text.size());  // one cell per byte, tabs already spaces
        if (x + cells * c.width <= 0) continue;
        const auto colours = env_.colours().of(seg.colour, mark);
        const QRgb background = qrgb(colours.background);
        if (!compose && (colours.background != window || mark))
            p.fillRect(x, y, cells * c.width, c.height, background);
        const int k = std::clamp(seg.colour, 0, 14);
        const QRgb ink = qrgb(env_.colours().of(k).text);
        GlyphBucket& bucket = buckets_[static_cast<size_t>(k)];
        for (size_t i = 0; i < text.size();) {
            const size_t len = std::max<size_t>(1, sjis::char_length(text, i));
            const int px = x + static_cast<int>(i) * c.width;
            if (px >= width) break;
            const uint8_t b0 = static_cast<uint8_t>(text[i]);
            const int w = static_cast<int>(len) * c.width;
            if (b0 != ' ' && px + w > 0) {
                const uint16_t code =
                    len == 2 ? static_cast<uint16_t>(b0 << 8 | static_cast<uint8_t>(text[i + 1])) : b0;
                const quint32 glyph = env_.glyph_of(code);
                const uint32_t* sprite =
                    compose ? sprites.sprite(code, glyph, static_cast<int>(len), ink, background) : nullptr;
                if (sprite) {
                    copy_sprite(line_image_, sprite, w, px, x0, x1, y0, y1);
                } else {
                    if (compose)
                        fill_span(line_image_, std::max(px, x0), std::min(px + w, x1), y0, y1, background);
                    bucket.glyphs.push_back(glyph);
                    bucket.positions.push_back(QPointF(px, baseline));
                }
            } else if (compose) {
                fill_span(line_image_, std::max(px, x0), std::min(px + w, x1), y0, y1, background);
            }
            i += len;
        }
    }
    if (compose) {
        fill_span(line_image_, std::max(first_x + end_column * c.width, x0), x1, y0, y1,
                  mark ? cyan : qrgb(window));
        p.drawImage(QPoint(x0, y + y0), line_image_, QRect(x0, y0, x1 - x0, y1 - y0));
    }
    draw_end_mark(p, first_x + end_column * c.width, y, c.height);
}

void CTextEditView::paint_preedit(QPainter& p) {
    if (preedit_.isEmpty()) return;
    // Each character on its own cells from the caret on, as it will stand
    // once committed: two cells for a double-byte character, one for a
    // single byte (and for one Shift-JIS cannot hold, which commits as '?').
    const auto& c = env_.cell();
    const QRect at = cell_rect(controller_.caret());
    const auto plain = env_.colours().of(ide::kColourDefault);
    const auto chosen = env_.colours().of(ide::kColourSelect);
    const int underline_y =
        std::min(at.top() + c.ascent + std::max(1, qRound(env_.raw_font().underlinePosition())),
                 at.top() + c.height - 1);
    int x = at.left();
    int cursor_x = x;
    for (qsizetype i = 0; i < preedit_.size();) {
        const qsizetype n = preedit_.at(i).isHighSurrogate() && i + 1 < preedit_.size() ? 2 : 1;
        if (i == preedit_cursor_) cursor_x = x;
        const std::string bytes = ui::to_sjis(preedit_.mid(i, n));
        const int cells = bytes.size() == 2 ? 2 : 1;
        const bool highlighted =
            i < static_cast<qsizetype>(preedit_highlight_.size()) && preedit_highlight_[i];
        const auto colours = highlighted ? chosen : plain;
        p.fillRect(x, at.top(), cells * c.width, c.height, qcolour(colours.background));
        const uint8_t b0 = bytes.empty() ? '?' : static_cast<uint8_t>(bytes[0]);
        const uint16_t code =
            cells == 2 ? static_cast<uint16_t>(b0 << 8 | static_cast<uint8_t>(bytes[1])) : b0;
        if (code != ' ') {
            QGlyphRun run;
            run.setRawFont(env_.raw_font());
            run.setGlyphIndexes({env_.glyph_of(code)});
            run.setPositions({QPointF(x, at.top() + c.ascent)});
            p.setPen(qcolour(colours.text));
            p.drawGlyphRun(QPointF(0, 0), run);
        }
        p.fillRect(x, underline_y, cells * c.width, 1, qcolour(colours.text));
        x += cells * c.width;
        i += n;
    }
    if (preedit_cursor_ >= preedit_.size()) cursor_x = x;
    // The composition's own cursor, steady while composing.
    if (preedit_cursor_ >= 0) p.fillRect(cursor_x, at.top(), 2, c.height, qcolour(plain.text));
}

// --- events ---

void CTextEditView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    update_geometry();
    keep_caret_visible();
    caret_placed();
}

void CTextEditView::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool alt = e->modifiers() & Qt::AltModifier;
    auto move = [&](CaretKey k) { act([&](EditController& c) { c.move(k, ctrl, shift); }); };
    switch (e->key()) {
        case Qt::Key_Left:
            return move(CaretKey::kLeft);
        case Qt::Key_Right:
            return move(CaretKey::kRight);
        case Qt::Key_Up:
            return move(CaretKey::kUp);
        case Qt::Key_Down:
            return move(CaretKey::kDown);
        case Qt::Key_PageUp:
            return move(CaretKey::kPageUp);
        case Qt::Key_PageDown:
            return move(CaretKey::kPageDown);
        case Qt::Key_Home:
            return move(CaretKey::kHome);
        case Qt::Key_End:
            return move(CaretKey::kEnd);
        case Qt::Key_Backspace:
            return act([](EditController& c) { c.backspace(); });
        case Qt::Key_Tab:
            return act([](EditController& c) { c.tab(false); });
        case Qt::Key_Backtab:
            return act([](EditController& c) { c.tab(true); });
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return act([](EditController& c) { c.enter(); });
        case Qt::Key_Delete:
            if (shift) return cut();
            if (ctrl) return act([](EditController& c) { c.ctrl_delete(); });
            return delete_command();
        case Qt::Key_Insert:
            if (ctrl) return copy();
            if (shift) return paste();
            return toggle_overwrite();
        case Qt::Key_F1:
            return;
        case Qt::Key_F2:
            if (ctrl) return toggle_bookmark();
            return go_to_bookmark(!shift);
        case Qt::Key_F3:
            find_again(!shift);
            return;
        case Qt::Key_F12:
            return keyword_jump_command();
        default:
            break;
    }
    if (ctrl && !alt) {
        switch (e->key()) {
            case Qt::Key_C:
                return copy();
            case Qt::Key_X:
                return cut();
            case Qt::Key_V:
                return paste();
            case Qt::Key_Z:
                return undo();
            case Qt::Key_Y:
                return redo();
            case Qt::Key_U:
                return convert_case(shift);
            case Qt::Key_BracketRight:
                return match_bracket(true);
            case Qt::Key_BracketLeft:
                return match_bracket(false);
            case Qt::Key_F:
                emit request(ViewRequest::find_dialog);
                return;
            case Qt::Key_R:
                emit request(ViewRequest::replace_dialog);
                return;
            case Qt::Key_J:
                emit request(ViewRequest::jump_dialog);
                return;
            default:
                break;
        }
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    const QString text = e->text();
    bool typed = false;
    for (QChar ch : text) typed |= ch.isPrint();
    if (!typed) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    QString printable;
    for (QChar ch : text)
        if (ch.isPrint()) printable += ch;
    const std::string bytes = ui::to_sjis(printable);
    act([&](EditController& c) {
        for (char b : bytes) c.type_byte(static_cast<uint8_t>(b));
    });
}

void CTextEditView::inputMethodEvent(QInputMethodEvent* e) {
    const QString commit = e->commitString();
    preedit_ = e->preeditString();
    // Where the composition's cursor stands (none when the method hides it;
    // at the end when it says nothing) and which characters it marks.
    preedit_cursor_ = preedit_.size();
    preedit_highlight_.assign(static_cast<size_t>(preedit_.size()), false);
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            preedit_cursor_ =
                a.length == 0 ? -1 : std::clamp<int>(a.start, 0, static_cast<int>(preedit_.size()));
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
            if (f.background().style() == Qt::NoBrush) continue;
            for (int i = std::max(a.start, 0); i < std::min<int>(a.start + a.length, preedit_.size()); ++i)
                preedit_highlight_[static_cast<size_t>(i)] = true;
        }
    }
    if (!commit.isEmpty()) {
        const std::string bytes = ui::to_sjis(commit);
        act([&](EditController& c) {
            for (char b : bytes) c.type_byte(static_cast<uint8_t>(b));
        });
    }
    viewport()->update();
    e->accept();
}

QVariant CTextEditView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle:
            return QRectF(caret_rect().translated(viewport()->geometry().topLeft()));
        case Qt::ImAnchorRectangle:
            return QRectF(caret_rect().translated(viewport()->geometry().topLeft()));
        case Qt::ImFont:
            return env_.font();
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition:
            return 0;
        case Qt::ImSurroundingText:
        case Qt::ImCurrentSelection:
            return QString();
        case Qt::ImHints:
            return static_cast<int>(Qt::ImhMultiLine);
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void CTextEditView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    const CaretPos cell = cell_at(e->position().toPoint());
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    act([&](EditController& c) { c.mouse_down(cell, shift); });
}

void CTextEditView::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || !(e->buttons() & Qt::LeftButton)) return;
    const CaretPos cell = cell_at(e->position().toPoint());
    act([&](EditController& c) { c.mouse_drag(cell); });
}

void CTextEditView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return QAbstractScrollArea::mouseReleaseEvent(e);
    dragging_ = false;
    const CaretPos cell = cell_at(e->position().toPoint());
    act([&](EditController& c) { c.mouse_drag(cell); });
}

void CTextEditView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const CaretPos cell = cell_at(e->position().toPoint());
    act([&](EditController& c) { c.double_click(cell); });
}

void CTextEditView::wheelEvent(QWheelEvent* e) {
    QPoint delta = e->angleDelta();
    // Shift turns the wheel sideways, as the desktop does elsewhere.
    if (e->modifiers() & Qt::ShiftModifier) delta = QPoint(delta.y(), delta.x());
    wheel_rest_y_ += delta.y();
    wheel_rest_x_ += delta.x();
    const int dy = wheel_rest_y_ / 120, dx = wheel_rest_x_ / 120;
    wheel_rest_y_ %= 120;
    wheel_rest_x_ %= 120;
    const int moved = v_.scroll_by(-dy * kWheelLines) | h_.scroll_by(-dx * kWheelLines);
    if (moved) {
        sync_bars();
        viewport()->update();
        caret_placed();
    }
    e->accept();
}

void CTextEditView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    restart_blink();
    emit overwrite_changed(controller_.overwrite());
    caret_placed();
}

void CTextEditView::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    blink_.stop();
    caret_on_ = false;
    dragging_ = false;
    viewport()->update(caret_rect().adjusted(-1, 0, 1, 0));
}

void CTextEditView::restart_blink() {
    if (!hasFocus()) return;
    const QRect old = caret_rect();
    caret_on_ = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash > 0)
        blink_.start(flash / 2, this);
    else
        blink_.stop();
    viewport()->update(old.united(caret_rect()).adjusted(-1, 0, 1, 0));
}

void CTextEditView::timerEvent(QTimerEvent* e) {
    if (e->timerId() != blink_.timerId()) return QAbstractScrollArea::timerEvent(e);
    caret_on_ = !caret_on_;
    viewport()->update(caret_rect());
}

}  // namespace lumora::editview
