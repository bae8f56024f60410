// Saving a text document: safety copy, read-only question, safe replace.
#include <sys/stat.h>
#include <unistd.h>

#include "ide/editor/safe_file_write.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {
namespace {

// True when `copy` would be the file at `file` itself: the same file, or, for a
// file not written yet, the same name in the same folder.
bool same_place(const std::string& copy, const std::string& file) {
    struct stat a {};
    struct stat b {};
    if (::stat(copy.c_str(), &a) == 0 && ::stat(file.c_str(), &b) == 0) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }
    auto folder_of = [](const std::string& p) {
        const size_t slash = p.find_last_of('/');
        return slash == std::string::npos ? std::string(".") : p.substr(0, slash + 1);
    };
    struct stat fa {};
    struct stat fb {};
    return ::stat(folder_of(copy).c_str(), &fa) == 0 && ::stat(folder_of(file).c_str(), &fb) == 0 &&
           fa.st_dev == fb.st_dev && fa.st_ino == fb.st_ino;
}

}  // namespace

const char* const kSaveTempFailedQuestion =
    "ファイルのテンポラリフォルダへの書き込みが失敗しました。続けますか？";
const char* const kSaveReadOnlyQuestion = "ファイルが読み取り専用です。上書きしますか？";
const char* const kSaveFailedMessage = "ファイルの保存に失敗しました。";

SaveResult CTextDoc::save(const SaveCallbacks& ui, const SaveOptions& options, const void* sender) {
    const std::string data = serialized();
    const std::string folder = options.temp_folder.empty() ? temp_folder() : options.temp_folder;
    auto ask = [&](const char* q) { return ui.ask_yes_no ? ui.ask_yes_no(q) : false; };

    // 1-2: the safety copy. A copy named after the file replaces whatever sits
    // at that name in the temporary folder, links included, never through them.
    // A file that lives in the temporary folder gets a copy under a name of its
    // own, or the copy would replace the file before the read-only question.
    bool copied;
    size_t slash = path_.find_last_of("/\\");
    const std::string named_copy =
        slash != std::string::npos && slash + 1 < path_.size() ? folder + "/" + path_.substr(slash + 1) : "";
    if (!named_copy.empty() && !same_place(named_copy, path_)) {
        SafeWriteOptions o;
        o.follow_symlinks = false;
        o.write = options.write;
        copied = safe_write_file(named_copy, data, o);
    } else {
        copied = !write_unique_temp(folder, "LMP", data, options.write).empty();
    }
    if (!copied && !ask(kSaveTempFailedQuestion)) return SaveResult::kCancelled;

    // 3: a file without the owner's write permission, or one we may not write,
    // is "read-only"; Yes gives the owner write permission.
    struct stat st {};
    if (!path_.empty() && ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (!(st.st_mode & S_IWUSR) || ::access(path_.c_str(), W_OK) != 0)) {
        if (!ask(kSaveReadOnlyQuestion)) return SaveResult::kCancelled;
        ::chmod(path_.c_str(), (st.st_mode & 07777) | S_IWUSR);
    }

    // 4: the file itself.
    SafeWriteOptions o;
    o.write = options.write;
    o.backup_folder = folder;
    if (path_.empty() || !safe_write_file(path_, data, o)) {
        if (ui.show_error) ui.show_error(kSaveFailedMessage);
        return SaveResult::kFailed;
    }
    modified_ = false;
    saved_position_ = undo_position_;
    notify(sender, kHintFullRedraw);
    return SaveResult::kSaved;
}

}  // namespace lumora::editor
