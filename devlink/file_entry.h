#pragma once
// The 128-byte file entry header that travels in front of every file sent to
// the console: "#!ws", 60 bytes of 0xFF, then the 64-byte directory entry.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::devlink {

constexpr size_t kHeaderSize = 128;
constexpr size_t kEntryOffset = 64;
constexpr size_t kEntrySize = 64;
constexpr size_t kNameWidth = 16;
constexpr size_t kInfoWidth = 24;
constexpr int32_t kNoResource = -1;
constexpr uint16_t kModeProgram = 7;    // executable, writable, readable
constexpr uint16_t kModePlainFile = 6;  // writable, readable
// Letters for mode bits 0..7.
constexpr std::string_view kModeLetters = "xwrmsild";

// The directory entry as raw bytes, exactly as it sits in the header.
struct DirectoryEntry {
    uint8_t bytes[kEntrySize] = {};

    std::string name() const;  // at most 16 bytes, up to the first 0x00
    std::string info() const;  // at most 24 bytes, up to the first 0x00
    int32_t size() const;
    int16_t blocks() const;
    uint16_t mode() const;
    uint32_t date() const;
    int32_t resource() const;

    // Shift-JIS text cut to 16 / 24 bytes without splitting a character, rest 0x00.
    void set_name(std::string_view name);
    void set_info(std::string_view info);
    void set_size(int32_t size);
    void set_blocks(int16_t blocks);
    void set_mode(uint16_t mode);
    void set_date(uint32_t date);
    void set_resource(int32_t resource);

    // "xwr" style letters of the set mode bits, in the order of kModeLetters.
    std::string mode_letters() const;
};

struct CalendarTime {
    int year = 2000;  // full year
    int month = 1;    // 1-12
    int day = 1;      // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Which tool builds an entry: they differ in the year rule and the resource field.
enum class EntryFlavor { Ide, LmPutw };

uint32_t pack_date(const CalendarTime& t, EntryFlavor flavor = EntryFlavor::LmPutw);
CalendarTime unpack_date(uint32_t date);  // year given as 0-127 (years since 2000)
CalendarTime local_calendar_time(std::time_t t);

// True when the data begin with "#!ws".
bool has_header(std::span<const uint8_t> data);
// The directory entry at offset 64 of data that has a header; nullopt when too short.
std::optional<DirectoryEntry> read_entry(std::span<const uint8_t> data);

// A file name as the host gives it, as the console's Shift-JIS: UTF-8 is
// converted (characters code page 932 cannot hold become "?"); bytes that are
// not UTF-8 are taken as Shift-JIS already.
std::string entry_text_from_host_name(std::string_view host_name);

// Builds the entry for a plain file without header. `file_name` is the name
// without folder as the host gives it; `name` and `info` receive it in
// Shift-JIS. `mtime` is the last-write time (converted to local time).
DirectoryEntry build_plain_entry(std::string_view file_name, uint64_t length, std::time_t mtime,
                                 EntryFlavor flavor);
// Same, with the calendar time already known (tests).
DirectoryEntry build_plain_entry_at(std::string_view file_name, uint64_t length, const CalendarTime& local,
                                    EntryFlavor flavor);

// "#!ws", 60 x 0xFF, the entry: the first XMODEM block of every upload.
std::vector<uint8_t> build_header(const DirectoryEntry& entry);

// Result of checking a received file entry.
struct ReceivedEntry {
    DirectoryEntry entry;  // resource already forced to -1 when it was too long
    size_t body_offset = kHeaderSize;
    size_t code_length = 0;      // what is saved: resource when set, else size
    size_t resource_length = 0;  // size - resource, 0 without resources
    std::vector<std::string> warnings;
};
struct SplitResult {
    std::optional<ReceivedEntry> entry;
    std::string error;  // "data too short\n" or "it is not a fx data\n" when entry is empty
};
// Checks and splits a received file entry. The code length is also bounded
// by what was actually received, so a lying header can never make a caller
// read past the data.
SplitResult split_received(std::span<const uint8_t> data);

// One item of the resource area walk.
struct ResourceItem {
    enum class Kind { Code, Chunk, Unknown };
    Kind kind = Kind::Code;
    uint32_t offset = 0;  // within the body
    uint32_t length = 0;
    std::string type;    // 4 characters for a chunk
    int16_t number = 0;  // resource number of a chunk
};
// Walks the resource area of a body (`size` bytes of it are meaningful).
// Only bytes present in `body` are read; a zero-length chunk ends the walk
// with the rest of the area as one unknown item.
std::vector<ResourceItem> walk_resources(std::span<const uint8_t> body, int32_t size, int32_t resource);

}  // namespace lumora::devlink
