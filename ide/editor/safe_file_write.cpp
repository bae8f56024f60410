#include "ide/editor/safe_file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
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

    std::string tmpl = folder_of(target) + "/." + name_of(target) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return fail(errno);
    const std::string tmp(name.data());
    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail(err);
    };
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (!write_all(fd, data, options.write)) return abandon(errno);
    if (::fchmod(fd, mode) != 0) return abandon(errno);
    if (exists) {
        // Keep the owner where we may (root editing someone else's file).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not being allowed to give the file away is normal; keep our own.
        }
    }
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return fail(err);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        int err = errno;
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
