#pragma once
// Recovery files: the unsaved text of modified documents, written now and
// then so a crash or a killed session loses nothing. Each running editor
// holds a lock file in the folder; files whose session holds no lock any
// more belong to a session that ended without cleaning up, and are offered
// for restoring on the next start.

#include <string>
#include <vector>

namespace lumora::editor {

class CTextDoc;

struct RecoveredDocument {
    std::string file;  // the recovery file itself
    std::string path;  // the document's own path; empty for a new document
    int line_ending_mode = 0;
    int text_type = 1;
    std::vector<std::string> lines;
};

class RecoveryStore {
  public:
    // $XDG_STATE_HOME/kelvane, else ~/.local/state/kelvane.
    static std::string default_folder();

    explicit RecoveryStore(std::string folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    const std::string& folder() const { return folder_; }
    // A slot for one document of this session.
    int new_slot() { return ++last_slot_; }
    // Replaces the slot's file atomically with the document's text. False
    // when the folder or the file cannot be written.
    bool write(int slot, const CTextDoc& doc);
    void remove(int slot);
    std::string slot_file(int slot) const;
    // Gives up the session's lock file (at the end of the session); a later
    // write takes it again.
    void release();

    // Recovery files of sessions that are no longer running.
    std::vector<RecoveredDocument> orphans() const;
    // Forgets a recovered file (restored or declined).
    static void discard(const RecoveredDocument& doc);

    // The file format, exposed for tests.
    static std::string encode(const CTextDoc& doc);
    static bool decode(const std::string& bytes, RecoveredDocument& out);

  private:
    bool ensure_folder();
    std::string folder_;
    int lock_fd_ = -1;
    int last_slot_ = 0;
};

}  // namespace lumora::editor
