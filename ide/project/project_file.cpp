#include "ide/project/project_file.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "common/file_bytes.h"
#include "ide/editor/safe_file_write.h"
#include "ide/project/archive_text.h"

namespace lumora::ide {

namespace {

using platform::PathStyle;

std::string read_path(ByteReader& in, std::string_view folder, PathStyle style, bool& ok) {
    auto text = read_archive_text(in);
    if (!text) {
        ok = false;
        return {};
    }
    return platform::make_absolute(platform::from_stored_form(*text, style), folder, style);
}

void write_path(ByteWriter& out, const std::string& path, std::string_view folder, PathStyle style) {
    write_archive_text(out, platform::to_stored_form(platform::make_relative(path, folder, style), style));
}

std::string read_text(ByteReader& in, bool& ok) {
    auto text = read_archive_text(in);
    if (!text) ok = false;
    return text ? *text : std::string();
}

}  // namespace

ProjectLoadResult decode_project(const std::vector<uint8_t>& bytes, std::string_view folder,
                                 PathStyle style) {
    ProjectLoadResult result;
    ProjectRecord& r = result.record;
    ByteReader in(bytes.data(), bytes.size());
    bool ok = true;
    in.u16();  // format words, not checked on reading
    in.u16();
    r.name = read_text(in, ok);
    r.compile_options = read_text(in, ok);
    r.link_options = read_text(in, ok);
    r.output_folder = platform::from_stored_form(read_text(in, ok), style);
    r.display_mode = in.u16();

    // Every item needs at least one length byte, so a count larger than what
    // is left is rejected before anything is allocated for it.
    uint16_t count = in.u16();
    if (count > in.remaining()) ok = false;
    for (uint16_t i = 0; ok && in.ok() && i < count; ++i) {
        SourceItem item;
        item.path = read_path(in, folder, style, ok);
        uint16_t m = in.u16();
        if (m > in.remaining()) ok = false;
        for (uint16_t j = 0; ok && in.ok() && j < m; ++j)
            item.texts.push_back(read_path(in, folder, style, ok));
        r.sources.push_back(std::move(item));
    }
    count = in.u16();
    if (count > in.remaining()) ok = false;
    for (uint16_t i = 0; ok && in.ok() && i < count; ++i)
        r.headers.push_back({read_path(in, folder, style, ok)});
    count = in.u16();
    if (count > in.remaining()) ok = false;
    for (uint16_t i = 0; ok && in.ok() && i < count; ++i) {
        OtherItem item;
        item.path = read_path(in, folder, style, ok);
        item.text1 = read_text(in, ok);
        item.text2 = read_text(in, ok);
        r.others.push_back(std::move(item));
    }
    r.auto_transfer = in.u8() == 1;
    r.description = read_text(in, ok);
    r.linked_resource = read_text(in, ok);
    if (!ok || !in.ok()) {
        result.error = ProjectFileError::Malformed;
        result.record = ProjectRecord{};
    }
    return result;
}

bool encode_project(const ProjectRecord& r, std::string_view folder, std::vector<uint8_t>& bytes,
                    PathStyle style) {
    if (r.sources.size() > 0xFFFF || r.headers.size() > 0xFFFF || r.others.size() > 0xFFFF) return false;
    for (const auto& s : r.sources)
        if (s.texts.size() > 0xFFFF) return false;
    bytes.clear();
    ByteWriter out(bytes);
    out.u16(1).u16(0);
    write_archive_text(out, r.name);
    write_archive_text(out, r.compile_options);
    write_archive_text(out, r.link_options);
    write_archive_text(out, platform::to_stored_form(r.output_folder, style));
    out.u16(r.display_mode);
    out.u16(static_cast<uint16_t>(r.sources.size()));
    for (const auto& s : r.sources) {
        write_path(out, s.path, folder, style);
        out.u16(static_cast<uint16_t>(s.texts.size()));
        for (const auto& t : s.texts) write_path(out, t, folder, style);
    }
    out.u16(static_cast<uint16_t>(r.headers.size()));
    for (const auto& h : r.headers) write_path(out, h.path, folder, style);
    out.u16(static_cast<uint16_t>(r.others.size()));
    for (const auto& o : r.others) {
        write_path(out, o.path, folder, style);
        write_archive_text(out, o.text1);
        write_archive_text(out, o.text2);
    }
    out.u8(r.auto_transfer ? 1 : 0);
    write_archive_text(out, r.description);
    write_archive_text(out, r.linked_resource);
    return true;
}

ProjectLoadResult load_project_file(const std::string& given_path, PathStyle style) {
    ProjectLoadResult result;
    const std::string path = platform::absolute_on_host(given_path, style);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        result.error =
            errno == ENOENT || errno == ENOTDIR ? ProjectFileError::NotFound : ProjectFileError::CannotOpen;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = ProjectFileError::CannotOpen;
        return result;
    }
    auto bytes = read_file_bytes(path);
    if (!bytes) {
        result.error = ProjectFileError::CannotOpen;
        return result;
    }
    return decode_project(*bytes, platform::folder_of(path, style), style);
}

ProjectFileError save_project_file(const ProjectRecord& record, const std::string& given_path,
                                   PathStyle style) {
    const std::string path = platform::absolute_on_host(given_path, style);
    std::vector<uint8_t> bytes;
    if (!encode_project(record, platform::folder_of(path, style), bytes, style))
        return ProjectFileError::WriteFailed;
    // Saved as the editor saves text: never half a file, and the same file
    // afterwards (links, owner and attributes kept).
    const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!editor::safe_write_file(path, data)) return ProjectFileError::WriteFailed;
    return ProjectFileError::None;
}

std::string open_error_message(ProjectFileError error, std::string_view path) {
    switch (error) {
        case ProjectFileError::None:
            return {};
        case ProjectFileError::NotFound:
            return std::string(path) + " が見つかりません。";
        case ProjectFileError::Malformed:
            return "予期しないﾌｧｲﾙ形式です。";
        default:
            return "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。";
    }
}

}  // namespace lumora::ide
