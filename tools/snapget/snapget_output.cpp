#include "snapget_output.h"

#include <algorithm>

#include "devlink/messages.h"

namespace lumora::snapget {

using devlink::format;

namespace {

struct SplitName {
    std::string folder;  // with its trailing separator
    std::string base;
};

SplitName split_name(const std::string& name, bool from_entry) {
    SplitName s;
    std::string file = name;
    size_t cut = from_entry ? name.find_last_of("/\\") : name.find_last_of('/');
    if (cut != std::string::npos) {
        if (!from_entry) s.folder = name.substr(0, cut + 1);
        file = name.substr(cut + 1);
    }
    size_t dot = file.find_last_of('.');
    s.base = dot == std::string::npos ? file : file.substr(0, dot);
    return s;
}

}  // namespace

std::string bmp_path(const std::string& name, bool from_entry) {
    SplitName s = split_name(name, from_entry);
    return s.folder + s.base + ".bmp";
}

std::optional<std::string> choose_output_path(const std::string& name, bool from_entry, bool force,
                                              const std::function<bool(const std::string&)>& exists) {
    std::string path = bmp_path(name, from_entry);
    if (force || !exists(path)) return path;
    SplitName s = split_name(name, from_entry);
    for (int i = 0; i <= 9999; ++i) {
        std::string candidate = s.folder + s.base + format("%04d", i) + ".bmp";
        if (!exists(candidate)) return candidate;
    }
    return std::nullopt;
}

std::vector<std::pair<int, std::string>> header_report(const devlink::ReceivedEntry& received,
                                                       std::span<const uint8_t> data) {
    using namespace devlink;
    std::vector<std::pair<int, std::string>> lines;
    for (const std::string& w : received.warnings) lines.emplace_back(kLevelWarning, w);
    const DirectoryEntry& e = received.entry;
    lines.emplace_back(kLevelInfo, format("name: %s\n", e.name().c_str()));
    lines.emplace_back(kLevelInfo, format("info: %s\n", e.info().c_str()));
    lines.emplace_back(kLevelInfo, "mode: " + e.mode_letters() + "\n");
    lines.emplace_back(kLevelInfo, format("size: %lu bytes (%d blocks)\n",
                                          static_cast<unsigned long>(static_cast<uint32_t>(e.size()) + 128u),
                                          static_cast<int>(e.blocks()) + 1));
    CalendarTime t = unpack_date(e.date());
    lines.emplace_back(kLevelInfo, format("date: %02d/%02d/%02d  %02d:%02d:%02d\n", t.year, t.month, t.day,
                                          t.hour, t.minute, t.second));
    if (e.resource() != kNoResource) {
        lines.emplace_back(kLevelInfo, "\noffset  bytes  type #id\n------ ------  --------\n");
        std::span<const uint8_t> body;
        if (data.size() > received.body_offset) body = data.subspan(received.body_offset);
        for (const ResourceItem& item : walk_resources(body, e.size(), e.resource())) {
            switch (item.kind) {
                case ResourceItem::Kind::Code:
                    if (item.length != 0)
                        lines.emplace_back(kLevelInfo, format("%06X %6d  <code>\n", item.offset,
                                                              static_cast<int>(item.length)));
                    break;
                case ResourceItem::Kind::Chunk:
                    lines.emplace_back(kLevelInfo, format("%06X %6d  %-4s #%d\r\n", item.offset,
                                                          static_cast<int>(item.length), item.type.c_str(),
                                                          static_cast<int>(item.number)));
                    break;
                case ResourceItem::Kind::Unknown:
                    lines.emplace_back(kLevelInfo, format("%06X %6d  (unknown)\r\n", item.offset,
                                                          static_cast<int>(item.length)));
                    break;
            }
        }
    }
    return lines;
}

}  // namespace lumora::snapget
