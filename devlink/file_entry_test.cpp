#include "devlink/file_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "devlink/ide_link.h"

namespace lumora::devlink {
namespace {

std::vector<uint8_t> entry_file(const DirectoryEntry& e, size_t body_bytes, uint8_t fill = 0x42) {
    std::vector<uint8_t> data = build_header(e);
    data.resize(data.size() + body_bytes, fill);
    return data;
}

TEST(FileEntry, HeaderLayoutIsMagicFillerEntry) {
    DirectoryEntry e;
    e.set_name("prog");
    e.set_size(300);
    std::vector<uint8_t> h = build_header(e);
    ASSERT_EQ(h.size(), 128u);
    EXPECT_EQ(std::string(h.begin(), h.begin() + 4), "#!ws");
    for (size_t i = 4; i < 64; ++i) EXPECT_EQ(h[i], 0xFF) << i;
    EXPECT_EQ(h[64], 'p');
    EXPECT_EQ(h[108], 300 & 0xFF);
    EXPECT_EQ(h[109], 300 >> 8);
    EXPECT_TRUE(has_header(h));
    EXPECT_FALSE(has_header(std::vector<uint8_t>{'#', '!', 'w'}));
    EXPECT_FALSE(read_entry(std::vector<uint8_t>(127, 0)));
}

TEST(FileEntry, SixteenCharacterNameHasNoTerminatorAndDoesNotRunIntoInfo) {
    DirectoryEntry e;
    e.set_name("ABCDEFGHIJKLMNOPQRST");  // cut to 16
    e.set_info("information text that is far too long");
    EXPECT_EQ(e.name(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(e.bytes[15], 'P');
    EXPECT_EQ(e.info(), "information text that is");
    EXPECT_EQ(e.info().size(), 24u);
}

TEST(FileEntry, PlainEntryBlocksModeAndResourceRules) {
    CalendarTime t{2024, 5, 17, 13, 45, 31};
    auto ide = build_plain_entry_at("data.bin", 0, t, EntryFlavor::Ide);
    EXPECT_EQ(ide.size(), 0);
    EXPECT_EQ(ide.blocks(), 0);
    EXPECT_EQ(ide.mode(), kModePlainFile);
    EXPECT_EQ(ide.mode_letters(), "wr");
    EXPECT_EQ(ide.resource(), 0);  // the IDE leaves it 0
    EXPECT_EQ(ide.name(), "data.bin");
    EXPECT_EQ(ide.info(), "data.bin");
    EXPECT_EQ(build_plain_entry_at("a", 128, t, EntryFlavor::Ide).blocks(), 1);
    EXPECT_EQ(build_plain_entry_at("a", 129, t, EntryFlavor::Ide).blocks(), 2);

    EXPECT_EQ(build_plain_entry_at("pic.fr", 10, t, EntryFlavor::LmPutw).resource(), 0);
    EXPECT_EQ(build_plain_entry_at("PIC.FR", 10, t, EntryFlavor::LmPutw).resource(), 0);
    EXPECT_EQ(build_plain_entry_at("notes.txt", 10, t, EntryFlavor::LmPutw).resource(), -1);
    EXPECT_EQ(build_plain_entry_at("noext", 10, t, EntryFlavor::LmPutw).resource(), 0);
    EXPECT_EQ(build_plain_entry_at("a.fr.txt", 10, t, EntryFlavor::LmPutw).resource(), -1);
}

// The console reads the name fields as Shift-JIS; the host names files in UTF-8.
TEST(FileEntry, HostFileNamesBecomeShiftJisCutOnACharacterBoundary) {
    const CalendarTime t{2024, 5, 17, 13, 45, 31};
    for (EntryFlavor flavor : {EntryFlavor::Ide, EntryFlavor::LmPutw}) {
        // "画像.fr" and "説明書.txt"
        DirectoryEntry e = build_plain_entry_at("\xE7\x94\xBB\xE5\x83\x8F.fr", 1, t, flavor);
        EXPECT_EQ(e.name(), "\x89\xE6\x91\x9C.fr");
        EXPECT_EQ(e.info(), "\x89\xE6\x91\x9C.fr");
        // 15 letters then "あ" (82 A0): the character does not fit the 16 bytes and is left out whole.
        e = build_plain_entry_at("abcdefghijklmno\xE3\x81\x82", 1, t, flavor);
        EXPECT_EQ(e.name(), "abcdefghijklmno");
        EXPECT_EQ(e.info(), "abcdefghijklmno\x82\xA0");
        // Twelve "あ": 24 bytes of info, 16 of name, never a lone lead byte.
        std::string twelve;
        for (int i = 0; i < 12; ++i) twelve += "\xE3\x81\x82";
        e = build_plain_entry_at(twelve, 1, t, flavor);
        EXPECT_EQ(e.name().size(), 16u);
        EXPECT_EQ(e.info().size(), 24u);
        EXPECT_EQ(e.info().substr(22), "\x82\xA0");
        // "é" has no place in code page 932.
        EXPECT_EQ(build_plain_entry_at("caf\xC3\xA9.txt", 1, t, flavor).name(), "caf?.txt");
        // A name that is not UTF-8 is taken as Shift-JIS already ("表" 95 5C).
        EXPECT_EQ(build_plain_entry_at("\x95\x5C.txt", 1, t, flavor).name(), "\x95\x5C.txt");
    }
    EXPECT_EQ(build_plain_entry_at("\xE7\x94\xBB.fr", 1, t, EntryFlavor::LmPutw).resource(), 0);

    // Execute names a file without header as its entry would.
    const std::string folder = ::testing::TempDir();
    const std::string path =
        folder + "/\xE7\x94\xBB\xE5\x83\x8F\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\xE9\x9B\x86.bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("body", f);
    std::fclose(f);
    const auto name = program_name_of_file(path);
    std::remove(path.c_str());
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, build_plain_entry_at(path.substr(folder.size() + 1), 4, t, EntryFlavor::Ide).name());
    EXPECT_EQ(*name, "\x89\xE6\x91\x9C\x83\x66\x81\x5B\x83\x5E\x8F\x57.bin");
}

TEST(FileEntry, DatePackingAndTheTwoYearRules) {
    CalendarTime t{2099, 12, 31, 23, 59, 58};
    uint32_t d = pack_date(t, EntryFlavor::Ide);
    CalendarTime u = unpack_date(d);
    EXPECT_EQ(u.year, 99);
    EXPECT_EQ(u.month, 12);
    EXPECT_EQ(u.day, 31);
    EXPECT_EQ(u.hour, 23);
    EXPECT_EQ(u.minute, 59);
    EXPECT_EQ(u.second, 58);
    EXPECT_EQ(d & 0x1F, 29u);
    EXPECT_EQ(pack_date(t, EntryFlavor::LmPutw), d);
    // An odd second loses its odd part.
    EXPECT_EQ(unpack_date(pack_date({2024, 1, 2, 3, 4, 59})).second, 58);
    // The tools differ after 2099: modulo 100 against (year - 2000) modulo 128.
    EXPECT_EQ(unpack_date(pack_date({2101, 1, 1, 0, 0, 0}, EntryFlavor::Ide)).year, 1);
    EXPECT_EQ(unpack_date(pack_date({2101, 1, 1, 0, 0, 0}, EntryFlavor::LmPutw)).year, 101);
}

TEST(FileEntry, SplitChecksLengthMagicAndResource) {
    EXPECT_EQ(split_received(std::vector<uint8_t>(127, 0)).error, "data too short\n");
    std::vector<uint8_t> junk(256, 0);
    EXPECT_EQ(split_received(junk).error, "it is not a fx data\n");

    DirectoryEntry e;
    e.set_size(200);
    e.set_resource(200);  // equal to size: an empty resource area, accepted
    auto r = split_received(entry_file(e, 256));
    ASSERT_TRUE(r.entry);
    EXPECT_TRUE(r.entry->warnings.empty());
    EXPECT_EQ(r.entry->code_length, 200u);
    EXPECT_EQ(r.entry->resource_length, 0u);
    EXPECT_EQ(r.entry->body_offset, 128u);

    e.set_resource(201);  // one past size: warned and dropped, also in the entry
    r = split_received(entry_file(e, 256));
    ASSERT_TRUE(r.entry);
    ASSERT_EQ(r.entry->warnings.size(), 1u);
    EXPECT_EQ(r.entry->warnings[0], "Warning: resource too long. ignore it\n");
    EXPECT_EQ(r.entry->entry.resource(), -1);
    EXPECT_EQ(r.entry->code_length, 200u);

    e.set_resource(64);
    r = split_received(entry_file(e, 256));
    EXPECT_EQ(r.entry->code_length, 64u);
    EXPECT_EQ(r.entry->resource_length, 136u);
}

TEST(FileEntry, SplitNeverHandsBackMoreThanWasReceived) {
    DirectoryEntry e;
    e.set_size(1'000'000);
    e.set_resource(-1);
    auto r = split_received(entry_file(e, 128));
    ASSERT_TRUE(r.entry);
    EXPECT_EQ(r.entry->code_length, 128u);
    e.set_size(-5);
    r = split_received(entry_file(e, 128));
    ASSERT_TRUE(r.entry);
    EXPECT_EQ(r.entry->code_length, 0u);
}

std::vector<uint8_t> chunk(const char* type, uint16_t units, int16_t number) {
    std::vector<uint8_t> c(units * 16u, 0);
    if (c.size() < 8) c.resize(8, 0);
    std::memcpy(c.data(), type, 4);
    c[4] = static_cast<uint8_t>(units);
    c[5] = static_cast<uint8_t>(units >> 8);
    c[6] = static_cast<uint8_t>(number);
    c[7] = static_cast<uint8_t>(number >> 8);
    return c;
}

// Extreme field values from a damaged or hostile header: every length is
// computed without overflow and nothing is read beyond the data.
TEST(FileEntry, ExtremeSizeAndResourceValues) {
    struct Case {
        int32_t size, resource;
        size_t code, resource_length;
    };
    const Case cases[] = {
        {102, INT32_MIN, 0, 0},  // a negative resource has no meaning
        {INT32_MAX, INT32_MIN, 0, 0},
        {INT32_MAX, 0, 0, size_t{INT32_MAX}},  // code empty, all resource
        {INT32_MIN, -1, 0, 0},                 // negative size, no resource
        {INT32_MIN, INT32_MIN + 1, 0, 0},
        {-5, -2, 0, 0},
        {INT32_MAX, INT32_MAX, 256, 0},  // code bounded by the 256 bytes received
    };
    for (const Case& c : cases) {
        DirectoryEntry e;
        e.set_size(c.size);
        e.set_resource(c.resource);
        const std::vector<uint8_t> data = entry_file(e, 256);
        auto r = split_received(data);
        ASSERT_TRUE(r.entry) << c.size << " " << c.resource;
        EXPECT_EQ(r.entry->code_length, c.code) << c.size << " " << c.resource;
        EXPECT_EQ(r.entry->resource_length, c.resource_length) << c.size << " " << c.resource;
        const auto body = std::span<const uint8_t>(data).subspan(kHeaderSize);
        for (const ResourceItem& item :
             walk_resources(body, r.entry->entry.size(), r.entry->entry.resource()))
            EXPECT_LE(uint64_t{item.offset}, uint64_t{INT32_MAX});
    }
}

TEST(FileEntry, ResourceWalkListsCodeChunksAndUnknownTail) {
    std::vector<uint8_t> body(32, 0xAA);  // code
    auto c1 = chunk("FRBM", 2, 7);
    auto c2 = chunk("FRMP", 1, -1);
    body.insert(body.end(), c1.begin(), c1.end());
    body.insert(body.end(), c2.begin(), c2.end());
    body.insert(body.end(), 10, 0x00);  // not a chunk
    auto items = walk_resources(body, static_cast<int32_t>(body.size()), 32);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, ResourceItem::Kind::Code);
    EXPECT_EQ(items[0].length, 32u);
    EXPECT_EQ(items[1].kind, ResourceItem::Kind::Chunk);
    EXPECT_EQ(items[1].offset, 32u);
    EXPECT_EQ(items[1].length, 32u);
    EXPECT_EQ(items[1].type, "FRBM");
    EXPECT_EQ(items[1].number, 7);
    EXPECT_EQ(items[2].number, -1);
    EXPECT_EQ(items[3].kind, ResourceItem::Kind::Unknown);
    EXPECT_EQ(items[3].offset, 80u);
    EXPECT_EQ(items[3].length, 10u);

    // No code part when the resources start at 0; a zero-length chunk ends the walk.
    auto zero = chunk("FRBM", 0, 1);
    zero.resize(40, 0);
    items = walk_resources(zero, 40, 0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, ResourceItem::Kind::Unknown);
    EXPECT_EQ(items[0].length, 40u);
    EXPECT_TRUE(walk_resources(body, 100, -1).empty());
}

TEST(FileEntry, SplitAndWalkSurviveMutatedInput) {
    std::mt19937 rng(1234);
    DirectoryEntry e;
    e.set_name("shot");
    e.set_size(600);
    e.set_resource(100);
    std::vector<uint8_t> base = entry_file(e, 640);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> data = base;
        data.resize(rng() % (data.size() + 1));
        for (int k = rng() % 8; k > 0 && !data.empty(); --k)
            data[rng() % data.size()] = static_cast<uint8_t>(rng());
        auto r = split_received(data);
        if (!r.entry) continue;
        ASSERT_LE(r.entry->body_offset + r.entry->code_length, data.size());
        std::span<const uint8_t> body(data.data() + 128, data.size() - 128);
        auto items = walk_resources(body, r.entry->entry.size(), r.entry->entry.resource());
        ASSERT_LE(items.size(), body.size() + 2);
    }
}

}  // namespace
}  // namespace lumora::devlink
