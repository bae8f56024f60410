// The project file (.lmp): decoding in both path styles, and a decoded
// project must survive being written and read back unchanged (saving a
// project the IDE opened must not lose or alter anything). The same input
// read as lines of file names gives a project built on a POSIX host, which
// must also read back as it was saved.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp932.h"
#include "ide/project/project_file.h"

using lumora::ide::decode_project;
using lumora::ide::encode_project;
using lumora::platform::PathStyle;

namespace {

// On a POSIX host a path is stored as Shift-JIS, or as UTF-8 when Shift-JIS
// cannot hold it. Host names that are neither (stray bytes from another
// encoding) have no faithful stored form, so only valid UTF-8 paths must
// come back unchanged there.
bool paths_are_utf8(const lumora::ide::ProjectRecord& r) {
    auto ok = [](const std::string& p) { return lumora::cp932::is_valid_utf8(p); };
    if (!ok(r.output_folder)) return false;
    for (const auto& s : r.sources) {
        if (!ok(s.path)) return false;
        for (const auto& t : s.texts)
            if (!ok(t)) return false;
    }
    for (const auto& h : r.headers)
        if (!ok(h.path)) return false;
    for (const auto& o : r.others)
        if (!ok(o.path)) return false;
    return true;
}

// File dialogs give clean paths: no empty, "." or ".." components (those
// may come back in another spelling of the same path).
bool plain_components(std::string_view name) {
    size_t start = 0;
    for (;;) {
        const size_t slash = name.find('/', start);
        const std::string_view part =
            name.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const struct {
        PathStyle style;
        const char* folder;
    } cases[] = {{PathStyle::Windows, "C:\\lumo\\project"}, {PathStyle::Posix, "/home/u/project"}};
    for (const auto& c : cases) {
        const auto loaded = decode_project(bytes, c.folder, c.style);
        if (!loaded.ok()) continue;
        std::vector<uint8_t> encoded;
        if (!encode_project(loaded.record, c.folder, encoded, c.style)) continue;
        const auto again = decode_project(encoded, c.folder, c.style);
        if (!again.ok()) std::abort();
        if (c.style == PathStyle::Posix && !paths_are_utf8(loaded.record)) continue;
        if (!(again.record == loaded.record)) std::abort();
    }

    lumora::ide::ProjectRecord made;
    const std::string folder = "/home/u/project";
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int n = 0; n < 8 && !text.empty(); ++n) {
        const size_t end = text.find('\n');
        const std::string_view name = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        // The stored form is the Windows one: a "\\" inside a host name would
        // read back as a separator, as it would on Windows.
        if (name.empty() || name.find('\0') != std::string_view::npos ||
            name.find('\\') != std::string_view::npos || !lumora::cp932::is_valid_utf8(name) ||
            !plain_components(name))
            continue;
        lumora::ide::add_file(made, folder + "/" + std::string(name), PathStyle::Posix);
    }
    std::vector<uint8_t> saved;
    if (encode_project(made, folder, saved, PathStyle::Posix)) {
        const auto back = decode_project(saved, folder, PathStyle::Posix);
        if (!back.ok() || !(back.record == made)) std::abort();
    }
    return 0;
}
