#include "common/replace_file.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace lumora {

namespace fs = std::filesystem;

namespace {

bool write_and_close(std::FILE* file, std::string_view bytes) {
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

ReplaceOutcome write_directly(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return ReplaceOutcome::CannotCreate;
    return write_and_close(file, bytes) ? ReplaceOutcome::Done : ReplaceOutcome::CannotWrite;
}

// A new, exclusively created file beside `target`.
std::FILE* create_beside(const std::string& target, std::string& name) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device seed;
    std::mt19937 pick(seed());
    for (int attempt = 0; attempt < 20; ++attempt) {
        name = target + ".tmp-";
        for (int i = 0; i < 6; ++i) name.push_back(kDigits[pick() % 36]);
        if (std::FILE* file = std::fopen(name.c_str(), "wbx")) return file;
    }
    return nullptr;
}

}  // namespace

ReplaceOutcome replace_file(const std::string& path, std::string_view bytes) {
    std::error_code ec;
    std::string target = path;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        const fs::path resolved = fs::canonical(path, ec);
        // A link to nothing yet: writing through it creates the file it names.
        if (ec) return write_directly(path, bytes);
        target = resolved.string();
    }
    const fs::file_status old = fs::status(target, ec);
    const bool replacing = fs::exists(old);
    if (replacing && !fs::is_regular_file(old)) return write_directly(path, bytes);

    std::string temporary;
    std::FILE* file = create_beside(target, temporary);
    if (!file) return ReplaceOutcome::CannotCreate;
    bool ok = write_and_close(file, bytes);
    if (ok && replacing) fs::permissions(temporary, old.permissions(), ec);
    ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        return ReplaceOutcome::CannotWrite;
    }
    return ReplaceOutcome::Done;
}

}  // namespace lumora
