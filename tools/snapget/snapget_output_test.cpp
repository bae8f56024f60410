#include "snapget_output.h"

#include <gtest/gtest.h>

#include <set>

#include "common/le_bytes.h"
#include "devlink/messages.h"

namespace lumora::snapget {
namespace {

using devlink::DirectoryEntry;

TEST(SnapgetNaming, ExtensionIsReplacedAndFolderKept) {
    EXPECT_EQ(bmp_path("shot", true), "shot.bmp");
    EXPECT_EQ(bmp_path("pic.png", false), "pic.bmp");
    EXPECT_EQ(bmp_path("out/dir.v2/pic.png", false), "out/dir.v2/pic.bmp");
    EXPECT_EQ(bmp_path("archive.tar.gz", false), "archive.tar.bmp");
    EXPECT_EQ(bmp_path("out/dir.v2/noext", false), "out/dir.v2/noext.bmp");
}

TEST(SnapgetNaming, NamesFromTheConsoleStayInTheCurrentFolder) {
    EXPECT_EQ(bmp_path("../../etc/x", true), "x.bmp");
    EXPECT_EQ(bmp_path("/tmp/evil.bmp", true), "evil.bmp");
    EXPECT_EQ(bmp_path("..\\up\\y.dat", true), "y.bmp");
    EXPECT_EQ(bmp_path("..", true), "..bmp");  // a plain file name, not the parent folder
    EXPECT_EQ(bmp_path("a/", true), ".bmp");
}

TEST(SnapgetNaming, ExistingFilesAreNeverReplacedWithoutForce) {
    std::set<std::string> present = {"shot.bmp", "shot0000.bmp"};
    auto exists = [&](const std::string& p) { return present.count(p) > 0; };
    EXPECT_EQ(choose_output_path("shot", true, false, exists), "shot0001.bmp");
    EXPECT_EQ(choose_output_path("shot", true, true, exists), "shot.bmp");
    EXPECT_EQ(choose_output_path("new.png", false, false, exists), "new.bmp");
    EXPECT_EQ(
        choose_output_path("d/shot.x", false, false, [](const std::string& p) { return p == "d/shot.bmp"; }),
        "d/shot0000.bmp");
    // Every candidate taken: no name.
    int asked = 0;
    EXPECT_FALSE(choose_output_path("full", true, false, [&](const std::string&) { return ++asked, true; }));
    EXPECT_EQ(asked, 10001);
}

devlink::ReceivedEntry received_for(const std::vector<uint8_t>& data) {
    auto split = devlink::split_received(data);
    EXPECT_TRUE(split.entry);
    return *split.entry;
}

std::vector<uint8_t> entry_with_body(DirectoryEntry e, const std::vector<uint8_t>& body) {
    auto data = devlink::build_header(e);
    data.insert(data.end(), body.begin(), body.end());
    data.resize((data.size() + 127) / 128 * 128, 0x1A);
    return data;
}

std::string joined(const std::vector<std::pair<int, std::string>>& lines, int mask = 7) {
    std::string s;
    for (const auto& [level, text] : lines)
        if (level & mask) s += text;
    return s;
}

TEST(SnapgetHeader, PlainCaptureHeader) {
    DirectoryEntry e;
    e.set_name("shot0123456789ab");  // 16 characters, no terminator
    e.set_info("Pictavo capture");
    e.set_size(1000);
    e.set_blocks(8);
    e.set_mode(0x86);
    e.set_date(devlink::pack_date({2026, 12, 8, 1, 2, 5}));
    e.set_resource(devlink::kNoResource);
    auto data = entry_with_body(e, std::vector<uint8_t>(1000, 1));
    EXPECT_EQ(joined(header_report(received_for(data), data)),
              "name: shot0123456789ab\n"
              "info: Pictavo capture\n"
              "mode: wrd\n"
              "size: 1128 bytes (9 blocks)\n"
              "date: 26/12/08  01:02:04\n");
}

TEST(SnapgetHeader, ResourceAreaIsListedItemByItem) {
    std::vector<uint8_t> body(32, 0xC0);  // code
    std::vector<uint8_t> chunk(32, 0);
    std::copy_n("FRBM", 4, chunk.begin());
    store_u16le(&chunk[4], 2);
    store_u16le(&chunk[6], 5);
    body.insert(body.end(), chunk.begin(), chunk.end());
    body.insert(body.end(), 16, 'X');  // not a chunk
    DirectoryEntry e;
    e.set_name("res");
    e.set_size(static_cast<int32_t>(body.size()));
    e.set_blocks(1);
    e.set_mode(7);
    e.set_resource(32);
    auto data = entry_with_body(e, body);
    std::string text = joined(header_report(received_for(data), data), devlink::kLevelInfo);
    std::string listing = text.substr(text.find("\noffset"));
    EXPECT_EQ(listing,
              "\noffset  bytes  type #id\n------ ------  --------\n"
              "000000     32  <code>\n"
              "000020     32  FRBM #5\r\n"
              "000040     16  (unknown)\r\n");
    EXPECT_NE(text.find("mode: xwr\n"), std::string::npos);

    // No code part: the list starts with the first chunk.
    e.set_resource(0);
    e.set_size(32);
    auto only_chunk = entry_with_body(e, chunk);
    text = joined(header_report(received_for(only_chunk), only_chunk));
    EXPECT_EQ(text.substr(text.find("------  --------\n") + 17), "000000     32  FRBM #5\r\n");
}

TEST(SnapgetHeader, ResourceBeyondSizeWarnsFirst) {
    DirectoryEntry e;
    e.set_name("w");
    e.set_size(10);
    e.set_resource(11);
    auto data = entry_with_body(e, std::vector<uint8_t>(10, 2));
    auto lines = header_report(received_for(data), data);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], (std::pair<int, std::string>{devlink::kLevelWarning,
                                                     "Warning: resource too long. ignore it\n"}));
    EXPECT_EQ(joined(lines).find("offset"), std::string::npos);
}

}  // namespace
}  // namespace lumora::snapget
