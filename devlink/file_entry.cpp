#include "devlink/file_entry.h"

#include <algorithm>
#include <cstring>

#include "common/cp932.h"
#include "common/le_bytes.h"
#include "common/sjis.h"
#include "platform/path_style.h"

namespace lumora::devlink {
namespace {

constexpr uint8_t kMagic[4] = {'#', '!', 'w', 's'};

// Entry field offsets.
constexpr size_t kName = 0, kInfo = 16, kSize = 44, kBlocks = 48, kMode = 50, kDate = 52, kResource = 60;

std::string bounded_text(const uint8_t* p, size_t width) {
    size_t n = 0;
    while (n < width && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Cut to the field on a character boundary: half a double-byte character
// would turn the console's name into a different one.
void put_text(uint8_t* p, size_t width, std::string_view text) {
    size_t n = 0;
    while (n < text.size()) {
        const size_t length = sjis::char_length(text, n);
        if (n + length > width) break;
        n += length;
    }
    std::memset(p, 0, width);
    std::memcpy(p, text.data(), n);
}

bool ends_with_fr(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string_view ext = name.substr(dot + 1);
    return ext.size() == 2 && (ext[0] == 'f' || ext[0] == 'F') && (ext[1] == 'r' || ext[1] == 'R');
}

}  // namespace

std::string entry_text_from_host_name(std::string_view host_name) {
    // The host names files in UTF-8; a name that is not UTF-8 was made in
    // Shift-JIS already.
    if (platform::host_path_style() == platform::PathStyle::Windows || !cp932::has_non_ascii(host_name) ||
        !cp932::is_valid_utf8(host_name))
        return std::string(host_name);
    return cp932::from_utf8(host_name);
}

std::string DirectoryEntry::name() const {
    return bounded_text(bytes + kName, kNameWidth);
}
std::string DirectoryEntry::info() const {
    return bounded_text(bytes + kInfo, kInfoWidth);
}
int32_t DirectoryEntry::size() const {
    return load_s32le(bytes + kSize);
}
int16_t DirectoryEntry::blocks() const {
    return load_s16le(bytes + kBlocks);
}
uint16_t DirectoryEntry::mode() const {
    return load_u16le(bytes + kMode);
}
uint32_t DirectoryEntry::date() const {
    return load_u32le(bytes + kDate);
}
int32_t DirectoryEntry::resource() const {
    return load_s32le(bytes + kResource);
}

void DirectoryEntry::set_name(std::string_view name) {
    put_text(bytes + kName, kNameWidth, name);
}
void DirectoryEntry::set_info(std::string_view info) {
    put_text(bytes + kInfo, kInfoWidth, info);
}
void DirectoryEntry::set_size(int32_t v) {
    store_u32le(bytes + kSize, static_cast<uint32_t>(v));
}
void DirectoryEntry::set_blocks(int16_t v) {
    store_u16le(bytes + kBlocks, static_cast<uint16_t>(v));
}
void DirectoryEntry::set_mode(uint16_t v) {
    store_u16le(bytes + kMode, v);
}
void DirectoryEntry::set_date(uint32_t v) {
    store_u32le(bytes + kDate, v);
}
void DirectoryEntry::set_resource(int32_t v) {
    store_u32le(bytes + kResource, static_cast<uint32_t>(v));
}

std::string DirectoryEntry::mode_letters() const {
    std::string letters;
    for (size_t bit = 0; bit < kModeLetters.size(); ++bit)
        if (mode() & (1u << bit)) letters += kModeLetters[bit];
    return letters;
}

uint32_t pack_date(const CalendarTime& t, EntryFlavor flavor) {
    uint32_t year = flavor == EntryFlavor::Ide ? static_cast<uint32_t>(t.year % 100)
                                               : static_cast<uint32_t>((t.year - 2000) & 0x7F);
    return (year << 25) | (static_cast<uint32_t>(t.month & 0x0F) << 21) |
           (static_cast<uint32_t>(t.day & 0x1F) << 16) | (static_cast<uint32_t>(t.hour & 0x1F) << 11) |
           (static_cast<uint32_t>(t.minute & 0x3F) << 5) | static_cast<uint32_t>((t.second / 2) & 0x1F);
}

CalendarTime unpack_date(uint32_t date) {
    CalendarTime t;
    t.year = static_cast<int>((date >> 25) & 0x7F);
    t.month = static_cast<int>((date >> 21) & 0x0F);
    t.day = static_cast<int>((date >> 16) & 0x1F);
    t.hour = static_cast<int>((date >> 11) & 0x1F);
    t.minute = static_cast<int>((date >> 5) & 0x3F);
    t.second = static_cast<int>((date << 1) & 0x3F);
    return t;
}

CalendarTime local_calendar_time(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool has_header(std::span<const uint8_t> data) {
    return data.size() >= 4 && std::memcmp(data.data(), kMagic, 4) == 0;
}

std::optional<DirectoryEntry> read_entry(std::span<const uint8_t> data) {
    if (data.size() < kHeaderSize) return std::nullopt;
    DirectoryEntry e;
    std::memcpy(e.bytes, data.data() + kEntryOffset, kEntrySize);
    return e;
}

DirectoryEntry build_plain_entry_at(std::string_view file_name, uint64_t length, const CalendarTime& local,
                                    EntryFlavor flavor) {
    DirectoryEntry e;
    const std::string text = entry_text_from_host_name(file_name);
    e.set_name(text);
    e.set_info(text);
    // The field is 32 bits wide; nothing the console holds comes near that.
    const auto size = static_cast<int32_t>(std::min<uint64_t>(length, INT32_MAX));
    e.set_size(size);
    e.set_blocks(static_cast<int16_t>((static_cast<uint32_t>(size) + 127) / 128));
    e.set_mode(kModePlainFile);
    e.set_date(pack_date(local, flavor));
    if (flavor == EntryFlavor::LmPutw) {
        bool has_extension = file_name.find('.') != std::string_view::npos;
        e.set_resource(!has_extension || ends_with_fr(file_name) ? 0 : kNoResource);
    } else {
        e.set_resource(0);
    }
    return e;
}

DirectoryEntry build_plain_entry(std::string_view file_name, uint64_t length, std::time_t mtime,
                                 EntryFlavor flavor) {
    return build_plain_entry_at(file_name, length, local_calendar_time(mtime), flavor);
}

std::vector<uint8_t> build_header(const DirectoryEntry& entry) {
    std::vector<uint8_t> header(kHeaderSize, 0xFF);
    std::memcpy(header.data(), kMagic, 4);
    std::memcpy(header.data() + kEntryOffset, entry.bytes, kEntrySize);
    return header;
}

SplitResult split_received(std::span<const uint8_t> data) {
    SplitResult result;
    if (data.size() < kHeaderSize) {
        result.error = "data too short\n";
        return result;
    }
    if (!has_header(data)) {
        result.error = "it is not a fx data\n";
        return result;
    }
    ReceivedEntry r;
    r.entry = *read_entry(data);
    // 64 bits: the differences of two header fields overflow 32.
    const int64_t size = r.entry.size();
    int64_t resource = r.entry.resource();
    if (resource > size) {
        r.warnings.push_back("Warning: resource too long. ignore it\n");
        resource = kNoResource;
        r.entry.set_resource(kNoResource);
    }
    // A negative size, or a negative resource other than "none", has no
    // meaning; read them as empty rather than as huge unsigned lengths.
    const int64_t code = resource != kNoResource ? resource : size;
    r.code_length = code > 0 ? static_cast<size_t>(code) : 0;
    r.resource_length = resource >= 0 && size > resource ? static_cast<size_t>(size - resource) : 0;
    // Never hand back more than was actually received.
    r.code_length = std::min(r.code_length, data.size() - kHeaderSize);
    result.entry = std::move(r);
    return result;
}

std::vector<ResourceItem> walk_resources(std::span<const uint8_t> body, int32_t size, int32_t resource) {
    std::vector<ResourceItem> items;
    if (resource == kNoResource || resource < 0 || size <= 0 || resource > size) return items;
    const auto end = static_cast<uint32_t>(size);
    if (resource > 0) items.push_back({ResourceItem::Kind::Code, 0, static_cast<uint32_t>(resource), {}, 0});
    uint32_t offset = static_cast<uint32_t>(resource);
    while (offset < end) {
        ResourceItem item;
        item.offset = offset;
        const bool chunk_readable = static_cast<uint64_t>(offset) + 8 <= body.size();
        uint32_t units = chunk_readable ? load_u16le(body.data() + offset + 4) : 0;
        if (chunk_readable && body[offset] == 'F' && body[offset + 1] == 'R' && units > 0) {
            item.kind = ResourceItem::Kind::Chunk;
            item.length = units * 16;
            item.type.assign(reinterpret_cast<const char*>(body.data() + offset), 4);
            item.number = load_s16le(body.data() + offset + 6);
        } else {
            // Not a chunk we can read, or one claiming no length: the rest is
            // one unknown item, which also guarantees the walk ends.
            item.kind = ResourceItem::Kind::Unknown;
            item.length = end - offset;
        }
        items.push_back(item);
        offset += item.length;
    }
    return items;
}

}  // namespace lumora::devlink
