#include "testkit/vconsole/file_store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace lumora::vconsole {
namespace {

bool write_whole(const std::string& path, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                 std::string* error) {
    const std::string tmp = path + ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(a.data()), static_cast<std::streamsize>(a.size()));
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        out.close();
        if (!out) {
            if (error) *error = "cannot write " + tmp;
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        if (error) *error = "cannot rename to " + path + ": " + std::strerror(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string host_file_name(std::string_view console_name) {
    std::string out;
    for (size_t i = 0; i < console_name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(console_name[i]);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                     c == '-' || (c == '.' && i > 0);
        if (plain) {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    if (out.empty()) return "%00";
    // NAME.fx is the entry file of NAME; a body file must never look like one.
    if (out.size() > 3 && out.compare(out.size() - 3, 3, ".fx") == 0) out.replace(out.size() - 3, 1, "%2E");
    return out;
}

bool FileStore::save(const StoredFile& file, std::string* error) const {
    const std::string base = folder_ + "/" + host_file_name(file.name);
    return write_whole(base, {}, file.body, error) &&
           write_whole(base + ".fx", file.header, file.body, error);
}

void FileStore::remove(std::string_view console_name) const {
    const std::string base = folder_ + "/" + host_file_name(console_name);
    std::remove(base.c_str());
    std::remove((base + ".fx").c_str());
}

}  // namespace lumora::vconsole
