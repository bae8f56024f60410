#pragma once
// Keeping unsaved text safe while the IDE runs, and offering it back after
// a crash: every modified document open in an editor window is written to a
// recovery file a few seconds after its last change; the file goes when the
// document is saved or its last window closes.

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "ide/editor/recovery_store.h"
#include "ide/editor/text_doc.h"

class QWidget;

namespace lumora::editor {
class DocumentSet;
}

namespace lumora::editview {

class RecoveryKeeper : public QObject, private editor::TextDocObserver {
    Q_OBJECT
  public:
    static constexpr int kDelayMs = 3000;

    // The application's keeper, writing under RecoveryStore::default_folder().
    static RecoveryKeeper& instance();

    explicit RecoveryKeeper(std::string folder, int delay_ms = kDelayMs);
    ~RecoveryKeeper() override;

    // An editor window shows `doc` / stopped showing it.
    void attach(editor::CTextDoc& doc);
    void detach(editor::CTextDoc& doc);
    // Writes every pending document now (also what the timer does).
    void flush();
    editor::RecoveryStore& store() { return store_; }
    std::string file_of(const editor::CTextDoc& doc) const;

  private:
    void on_document_update(const void* sender, int hint, const editor::CTextInvalidateRange* range) override;
    struct Entry {
        int views = 0;
        int slot = 0;
        bool pending = false;
        bool written = false;
    };
    editor::RecoveryStore store_;
    std::map<editor::CTextDoc*, Entry> docs_;
    QTimer timer_;
};

// At start-up: when a previous session left unsaved text behind, asks
// whether to restore it; each restored document (modified, with its old
// path) is handed to `open_window`. Declined files are deleted. Returns the
// number of documents restored.
int offer_recovered_documents(QWidget* parent, editor::DocumentSet& documents,
                              const std::function<void(editor::CTextDoc&)>& open_window,
                              editor::RecoveryStore* store = nullptr);

}  // namespace lumora::editview
