#include "ide/editview/recovery.h"

#include <QCoreApplication>

#include "ide/editor/document_set.h"
#include "ide/editview/document_commands.h"
#include "ui/message_box.h"

namespace lumora::editview {

RecoveryKeeper& RecoveryKeeper::instance() {
    // Never destroyed: windows may detach while the application object goes
    // away. The session's lock goes when the application quits.
    static RecoveryKeeper* keeper = [] {
        auto* k = new RecoveryKeeper(editor::RecoveryStore::default_folder());
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, k, [k] { k->store().release(); });
        return k;
    }();
    return *keeper;
}

RecoveryKeeper::RecoveryKeeper(std::string folder, int delay_ms) : store_(std::move(folder)) {
    timer_.setSingleShot(true);
    timer_.setInterval(delay_ms);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::flush);
}

RecoveryKeeper::~RecoveryKeeper() {
    for (auto& [doc, entry] : docs_) doc->remove_observer(this);
}

void RecoveryKeeper::attach(editor::CTextDoc& doc) {
    Entry& e = docs_[&doc];
    if (e.views++ > 0) return;
    e.slot = store_.new_slot();
    doc.add_observer(this);
    // A restored document is modified before anyone types.
    if (doc.modified()) {
        e.pending = true;
        timer_.start();
    }
}

void RecoveryKeeper::detach(editor::CTextDoc& doc) {
    auto it = docs_.find(&doc);
    if (it == docs_.end() || --it->second.views > 0) return;
    doc.remove_observer(this);
    if (it->second.written) store_.remove(it->second.slot);
    docs_.erase(it);
}

std::string RecoveryKeeper::file_of(const editor::CTextDoc& doc) const {
    auto it = docs_.find(const_cast<editor::CTextDoc*>(&doc));
    return it == docs_.end() ? std::string() : store_.slot_file(it->second.slot);
}

void RecoveryKeeper::on_document_update(const void*, int, const editor::CTextInvalidateRange*) {
    // Any change (edit, undo, save, line endings) reschedules; the write
    // then looks at the modified flag.
    for (auto& [doc, e] : docs_) {
        if (e.pending) continue;
        if (doc->modified() || e.written) e.pending = true;
    }
    timer_.start();
}

void RecoveryKeeper::flush() {
    timer_.stop();
    for (auto& [doc, e] : docs_) {
        if (doc->modified()) {
            e.written = store_.write(e.slot, *doc) || e.written;
        } else if (e.written) {
            // Saved (or undone back to the saved text): nothing to keep.
            store_.remove(e.slot);
            e.written = false;
        }
        e.pending = false;
    }
}

int offer_recovered_documents(QWidget* parent, editor::DocumentSet& documents,
                              const std::function<void(editor::CTextDoc&)>& open_window,
                              editor::RecoveryStore* store) {
    editor::RecoveryStore& s = store ? *store : RecoveryKeeper::instance().store();
    const auto found = s.orphans();
    if (found.empty()) return 0;
    const ui::Box box{
        box_caption(),
        QStringLiteral("前回、保存されずに終了した文書が %1 個あります。復元しますか？").arg(found.size()),
        ui::BoxIcon::question,
        ui::BoxButtons::yes_no,
        {}};
    const bool restore = ui::show_box(parent, box) == ui::BoxAnswer::yes;
    int restored = 0;
    if (restore) {
        for (const editor::RecoveredDocument& r : found) {
            editor::CTextDoc& doc = documents.create();
            doc.set_lines(r.lines);
            doc.set_path(r.path);
            doc.set_line_ending_mode(r.line_ending_mode);
            doc.set_text_type(r.text_type);
            doc.set_modified(true);
            if (open_window) open_window(doc);
            ++restored;
        }
        // The text is in this session's own files before the old ones go.
        if (!store) RecoveryKeeper::instance().flush();
    }
    for (const editor::RecoveredDocument& r : found) editor::RecoveryStore::discard(r);
    return restored;
}

}  // namespace lumora::editview
