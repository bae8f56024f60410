#include "ide/editor/recovery_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>

#include "common/file_bytes.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {

namespace {

constexpr char kMagic[] = "kelvane recovery 1\n";
constexpr char kSuffix[] = ".kvr";

bool write_all(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool read_number_line(const std::string& s, size_t& pos, const char* key, long& value) {
    const std::string k = std::string(key) + " ";
    if (s.compare(pos, k.size(), k) != 0) return false;
    pos += k.size();
    const size_t eol = s.find('\n', pos);
    if (eol == std::string::npos || eol == pos || eol - pos > 18) return false;
    value = 0;
    for (size_t i = pos; i < eol; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    pos = eol + 1;
    return true;
}

// Session id of a file "<pid>-<slot>.kvr" or "<pid>.lock".
std::string session_of(const std::string& name) {
    const size_t end = name.find_first_of("-.");
    return end == std::string::npos ? std::string() : name.substr(0, end);
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string RecoveryStore::default_folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/') return std::string(state) + "/kelvane";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/state/kelvane";
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {}

RecoveryStore::~RecoveryStore() {
    release();
}

void RecoveryStore::release() {
    if (lock_fd_ < 0) return;
    ::unlink((folder_ + "/" + std::to_string(::getpid()) + ".lock").c_str());
    ::close(lock_fd_);
    lock_fd_ = -1;
}

bool RecoveryStore::ensure_folder() {
    if (lock_fd_ >= 0) return true;
    // Create the folder and its parents, private to the user.
    for (size_t i = 1; i <= folder_.size(); ++i) {
        if (i == folder_.size() || folder_[i] == '/') {
            const std::string part = folder_.substr(0, i);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    const std::string lock = folder_ + "/" + std::to_string(::getpid()) + ".lock";
    lock_fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_fd_ < 0) return false;
    if (::flock(lock_fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock_fd_);
        lock_fd_ = -1;
        return false;
    }
    return true;
}

std::string RecoveryStore::slot_file(int slot) const {
    return folder_ + "/" + std::to_string(::getpid()) + "-" + std::to_string(slot) + kSuffix;
}

std::string RecoveryStore::encode(const CTextDoc& doc) {
    std::string out = kMagic;
    out += "mode " + std::to_string(doc.line_ending_mode()) + "\n";
    out += "type " + std::to_string(doc.text_type()) + "\n";
    out += "lines " + std::to_string(doc.line_count()) + "\n";
    out += "path " + std::to_string(doc.path().size()) + "\n";
    out += doc.path();
    // Lines never hold a line break, so "\n" separates them unambiguously.
    for (int i = 0; i < doc.line_count(); ++i) {
        if (i) out += '\n';
        out += doc.line_text(i);
    }
    return out;
}

bool RecoveryStore::decode(const std::string& s, RecoveredDocument& out) {
    size_t pos = sizeof kMagic - 1;
    if (s.compare(0, pos, kMagic) != 0) return false;
    long mode = 0, type = 0, count = 0, path_len = 0;
    if (!read_number_line(s, pos, "mode", mode) || !read_number_line(s, pos, "type", type) ||
        !read_number_line(s, pos, "lines", count) || !read_number_line(s, pos, "path", path_len))
        return false;
    if (mode > 2 || type > 2 || static_cast<size_t>(path_len) > s.size() - pos) return false;
    out.line_ending_mode = static_cast<int>(mode);
    out.text_type = static_cast<int>(type);
    out.path = s.substr(pos, static_cast<size_t>(path_len));
    pos += static_cast<size_t>(path_len);
    out.lines.clear();
    if (count > 0) {
        size_t start = pos;
        for (;;) {
            const size_t nl = s.find('\n', start);
            out.lines.push_back(s.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
    } else if (pos != s.size()) {
        return false;
    }
    // A file cut short (a full disk) must not pass for the whole text.
    return static_cast<long>(out.lines.size()) == count;
}

bool RecoveryStore::write(int slot, const CTextDoc& doc) {
    if (!ensure_folder()) return false;
    const std::string target = slot_file(slot);
    const std::string temp = target + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = write_all(fd, encode(doc)) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void RecoveryStore::remove(int slot) {
    ::unlink(slot_file(slot).c_str());
}

std::vector<RecoveredDocument> RecoveryStore::orphans() const {
    std::vector<RecoveredDocument> found;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) return found;
    std::map<std::string, std::vector<std::string>> files;  // by session
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (ends_with(name, kSuffix)) files[session_of(name)].push_back(name);
    }
    ::closedir(dir);
    const std::string own = std::to_string(::getpid());
    for (auto& [session, names] : files) {
        if (session == own) continue;
        // A running session holds its lock; taking it means the session is gone.
        const std::string lock = folder_ + "/" + session + ".lock";
        const int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            const bool alive = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
            ::close(fd);
            if (alive) continue;
        }
        for (const std::string& name : names) {
            RecoveredDocument doc;
            doc.file = folder_ + "/" + name;
            auto bytes = read_file_bytes(doc.file);
            if (bytes && decode(std::string(bytes->begin(), bytes->end()), doc))
                found.push_back(std::move(doc));
        }
    }
    return found;
}

void RecoveryStore::discard(const RecoveredDocument& doc) {
    ::unlink(doc.file.c_str());
    // The dead session's lock file goes with its last recovery file.
    const size_t slash = doc.file.rfind('/');
    const std::string folder = doc.file.substr(0, slash);
    const std::string session = session_of(doc.file.substr(slash + 1));
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    bool more = false;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (ends_with(name, kSuffix) && session_of(name) == session) more = true;
    }
    ::closedir(dir);
    if (!more && session != std::to_string(::getpid())) ::unlink((folder + "/" + session + ".lock").c_str());
}

}  // namespace lumora::editor
