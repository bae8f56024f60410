#include "ide/editor/safe_file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace lumora::editor {

namespace {

bool write_all(int fd, std::string_view data, const WriteFn& write) {
    size_t done = 0;
    while (done < data.size()) {
        long n = write ? write(fd, data.data() + done, data.size() - done)
                       : static_cast<long>(::write(fd, data.data() + done, data.size() - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The final file a chain of symbolic links leads to (the path itself when it
// is no link). A dangling link yields the place it points at.
std::string resolve_links(const std::string& path) {
    std::string cur = path;
    for (int depth = 0; depth < 40; ++depth) {
        char buf[PATH_MAX];
        ssize_t n = ::readlink(cur.c_str(), buf, sizeof buf - 1);
        if (n < 0) return cur;
        std::string target(buf, static_cast<size_t>(n));
        if (!target.empty() && target[0] != '/') target = folder_of(cur) + "/" + target;
        cur = target;
    }
    return cur;
}

}  // namespace

std::string temp_folder() {
    const char* t = std::getenv("TMPDIR");
    if (t && *t) return t;
    return "/tmp";
}

namespace {

// Extended attributes (ACLs among them) of `from` onto the open file `fd`.
// False when one of them could not be carried over.
bool copy_extended_attributes(const std::string& from, int fd) {
    ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    if (size == 0) return true;
    std::vector<char> names(static_cast<size_t>(size));
    size = ::listxattr(from.c_str(), names.data(), names.size());
    if (size < 0) return false;
    for (size_t at = 0; at < static_cast<size_t>(size); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0) return false;
        std::vector<char> value(static_cast<size_t>(length));
        if (::getxattr(from.c_str(), name, value.data(), value.size()) != length) return false;
        if (::fsetxattr(fd, name, value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

bool read_whole(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<size_t>(n));
    }
}

// Replaces the bytes of `fd` from its start with `data` and cuts it there.
bool overwrite(int fd, std::string_view data, const WriteFn& write) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && write_all(fd, data, write) &&
           ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 && ::fsync(fd) == 0;
}

// Writing into the file itself, for when a new file renamed over it would
// not be the same file: the folder is not writable, the file has other names
// (hard links), belongs to someone else, or carries attributes the new file
// cannot get. The old content is kept in memory and in a copy in
// `backup_folder` first, and written back if the new content does not fit.
bool write_in_place(const std::string& target, std::string_view data, const SafeWriteOptions& options,
                    int& err) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    std::string old;
    if (!read_whole(fd, old)) {
        err = errno;
        ::close(fd);
        return false;
    }
    const std::string backup_folder = options.backup_folder.empty() ? temp_folder() : options.backup_folder;
    const std::string backup = write_unique_temp(backup_folder, "." + name_of(target) + ".old-", old);
    if (backup.empty()) {
        // Without a copy of the old content a failed write could lose it.
        err = errno ? errno : EIO;
        ::close(fd);
        return false;
    }
    if (overwrite(fd, data, options.write)) {
        if (::close(fd) != 0) {
            err = errno;
            return false;  // the backup stays: the content may not have reached the disk
        }
        ::unlink(backup.c_str());
        return true;
    }
    err = errno;
    // The old content takes no more room than it had, so it fits again.
    const bool restored = overwrite(fd, old, {});
    ::close(fd);
    if (restored) ::unlink(backup.c_str());
    return false;
}

}  // namespace

bool safe_write_file(const std::string& path, std::string_view data, const SafeWriteOptions& options,
                     std::string* error) {
    auto fail = [&](int err) {
        if (error) *error = std::strerror(err);
        return false;
    };
    if (path.empty()) return fail(ENOENT);
    const std::string target = options.follow_symlinks ? resolve_links(path) : path;
    struct stat st {};
    const bool found = ::lstat(target.c_str(), &st) == 0;
    if (found && S_ISDIR(st.st_mode)) return fail(EISDIR);
    const bool exists = found && S_ISREG(st.st_mode);
    int err = 0;
    // A device or pipe is written as it is: a file renamed over it would replace it.
    if (found && !exists && !S_ISLNK(st.st_mode)) {
        const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return fail(errno);
        const bool ok = write_all(fd, data, options.write);
        err = errno;
        if (::close(fd) != 0 && ok) return fail(errno);
        return ok ? true : fail(err);
    }
    auto in_place = [&] { return write_in_place(target, data, options, err) ? true : fail(err); };
    if (exists && (st.st_nlink > 1 || st.st_uid != ::geteuid())) return in_place();

    std::string tmpl = folder_of(target) + "/." + name_of(target) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        // A folder we may not write in can still hold a file we may write.
        if (exists && (errno == EACCES || errno == EPERM)) return in_place();
        return fail(errno);
    }
    const std::string tmp(name.data());
    auto discard = [&] {
        ::close(fd);
        ::unlink(tmp.c_str());
    };
    auto abandon = [&](int e) {
        discard();
        return fail(e);
    };
    if (exists) {
        // The new file must be the old one in all but content; where it
        // cannot be (group, ACLs, other attributes), write in place instead.
        const bool same_owner = ::fchown(fd, st.st_uid, st.st_gid) == 0;
        if (!same_owner || ::fchmod(fd, st.st_mode & 07777) != 0 || !copy_extended_attributes(target, fd)) {
            discard();
            return in_place();
        }
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) return abandon(errno);
    }
    if (!write_all(fd, data, options.write)) return abandon(errno);
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return fail(err);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return fail(err);
    }
    return true;
}

std::string write_unique_temp(const std::string& folder, const std::string& prefix, std::string_view data,
                              const WriteFn& write) {
    std::string tmpl = folder + "/" + prefix + "XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return {};
    bool ok = write_all(fd, data, write);
    if (::close(fd) != 0) ok = false;
    if (!ok) {
        ::unlink(name.data());
        return {};
    }
    return std::string(name.data());
}

}  // namespace lumora::editor
