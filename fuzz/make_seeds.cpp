// Writes the starting seeds of every fuzz target into <folder>/<target>/:
// small well-formed inputs built with the kit's own writers and the tests'
// builders, so each format's interesting paths are reached at once. The
// committed corpora are these seeds after fuzzing and minimising. (The
// lml_ini seeds are two hand-written settings files.)
//
//   fuzz_make_seeds <folder> <source folder>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/bmp.h"
#include "converters/cantara2mml/cantara_test_save.h"
#include "converters/iflmfr/fr_test_data.h"
#include "converters/orvconv/orv_test_maps.h"
#include "converters/testdata/bmp_builder.h"
#include "devlink/file_entry.h"
#include "devlink/xmodem.h"
#include "ide/project/project_file.h"
#include "testkit/vconsole/xmodem.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

fs::path out_root;
int written = 0;

void seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = out_root / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ++written;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void project_seeds() {
    using namespace lumora::ide;
    using lumora::platform::PathStyle;
    ProjectRecord r;
    r.name = "game";
    r.output_folder = "C:\\lumo\\project\\out";
    r.auto_transfer = true;
    r.sources.push_back({"C:\\lumo\\project\\main.c", {"C:\\lumo\\project\\main.obj"}});
    r.sources.push_back({"C:\\lumo\\project\\sub\\util.cpp", {}});
    r.headers.push_back({"C:\\lumo\\include\\lumora.h"});
    r.others.push_back({"C:\\lumo\\project\\title.fr", "one", "two"});
    r.description = "\x83\x51\x81\x5B\x83\x80";  // Shift-JIS
    r.linked_resource = "res.fr";
    Bytes out;
    if (encode_project(r, "C:\\lumo\\project", out, PathStyle::Windows)) seed("lmp_project", "full", out);
    ProjectRecord empty;
    out.clear();
    if (encode_project(empty, "/home/u/p", out, PathStyle::Posix)) seed("lmp_project", "empty", out);
}

void text_seeds(const fs::path& source) {
    seed("kdb_keywords", "sample", read_all(source / "ide/editor/testdata/Lumo.kdb"));
    seed("kdb_keywords", "crlf", text("C/C++ : int char ;0\r\n{\r\nint,stdio.h,3\r\n}\r\n"));

    // The first byte picks the extension (0 .c, 3 .mml, 5 .txt).
    seed("text_recognition", "sjis_c", cat({0}, text("int main() {\r\n  /* \x93\xFA\x96\x7B */\r\n}\r\n")));
    seed("text_recognition", "jis", cat({5}, text("\x1B$B$3$s\x1B(B ok\n")));
    seed("text_recognition", "euc", cat({5}, text("\xA4\xB3\xA4\xF3 \x8E\xB1\r")));
    seed("text_recognition", "mml", cat({3}, text("t120 o4 l8 cdefgab>c\n")));
    seed("text_recognition", "binary", cat({6}, Bytes{0, 1, 2, 0xFF, 0x80, '\n', 0x1A}));

    seed("gridex_settings", "ini", text("0,0,16,16 \n32,0 \n16,0,16,8 \n256\n"));
    seed("gridex_settings", "crlf", text("88\t8, 16,8\r\n0,0\r\n96,0,8,8\r\n-3\r\n"));
}

void fr_seeds() {
    // Option byte 0x10: also read from a file; 0x08: progress callback.
    for (uint8_t mode : {0, 1, 2, 4, 5, 6, 7}) {
        frtest::Resource r;
        r.mode = mode;
        r.width = 2;
        r.height = 1;
        for (int i = 0; i < 16; ++i) r.colours[i] = static_cast<uint16_t>(i * 0x1111);
        seed("fr_resource", "mode" + std::to_string(mode),
             cat({mode == 4 ? uint8_t{0x3A} : uint8_t{0x10}}, frtest::build(r)));
    }
    orvtest::MapShape shape;
    seed("fr_resource", "map", cat({0}, orvtest::make_map(shape)));

    const auto ref = orvtest::small_map();
    Bytes mapinfo = text(ref.mapinfo);
    Bytes input{1, static_cast<uint8_t>(mapinfo.size()), static_cast<uint8_t>(mapinfo.size() >> 8)};
    seed("orv_mapinfo", "small", cat(cat(input, mapinfo), orvtest::make_map(ref.shape)));
    const auto abs = orvtest::absolute_map();
    mapinfo = text(abs.mapinfo);
    input = {3, static_cast<uint8_t>(mapinfo.size()), static_cast<uint8_t>(mapinfo.size() >> 8)};
    seed("orv_mapinfo", "absolute", cat(cat(input, mapinfo), orvtest::make_map(abs.shape)));
}

void bmp_seeds(const fs::path& source) {
    using lumora::testdata::BmpLayout;
    using lumora::testdata::build_bmp;
    // gridex: map (0,0) 16x16, attributes at (32,0), parts (16,0) 16x8, base 0.
    const Bytes settings{0, 0, 16, 16, 32, 0, 16, 0, 16, 8, 0};
    for (const char* name : {"gridex_scene_gimp.bmp", "gridex_scene_im.bmp", "gridex_scene_im_bmp3.bmp"})
        seed("bmp_gridex", name, cat(settings, read_all(source / "converters/testdata" / name)));
    std::vector<uint32_t> indices(16 * 8);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = (i / 3) % 5;
    BmpLayout l;
    l.width = 16;
    l.height = 8;
    l.top_down = true;
    seed("bmp_gridex", "top_down", cat({0, 0, 8, 8, 0, 0, 8, 0, 8, 8, 0}, build_bmp(l, indices)));
    // Hand-made run-length coding: two runs per row, end of line, end of picture.
    Bytes rle;
    for (int row = 0; row < 8; ++row) rle.insert(rle.end(), {8, uint8_t(row & 3), 8, 1, 0, 0});
    rle.insert(rle.end(), {0, 1});
    l.top_down = false;
    l.compression = lumora::kBmpRle8;
    Bytes coded = build_bmp(l, indices);
    const size_t offset = coded[10] | coded[11] << 8;
    coded.resize(offset);
    coded.insert(coded.end(), rle.begin(), rle.end());
    seed("bmp_gridex", "rle8", cat({0, 0, 8, 8, 0, 0, 8, 0, 8, 8, 0}, coded));

    for (const char* name :
         {"pictosrc_two_tiles_gimp.bmp", "pictosrc_two_tiles_im.bmp", "pictosrc_two_tiles_im_bmp3.bmp"})
        seed("bmp_pictosrc", name, read_all(source / "converters/testdata" / name));
    std::vector<uint32_t> rgb(16 * 16);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint32_t>((i * 0x1F3B7) & 0xFFFFFF);
    BmpLayout c;
    c.width = 16;
    c.height = 16;
    c.bit_count = 24;
    seed("bmp_pictosrc", "many_colours", build_bmp(c, rgb));
}

void save_seeds() {
    using namespace lumora::cantara::test;
    seed("cantara_save", "tune",
         save_file(120,
                   {octave_mode(1), key(2), time(3), note(60), note(62, 240, true), rest(480), bar(),
                    accidental(1, 64), note(64)},
                   {note(48, 960), bar(), note(50)}));
    seed("cantara_save", "empty", save_file(90, {}, {}));
}

Bytes xmodem_stream(const Bytes& body) {
    Bytes out;
    uint8_t number = 1;
    for (size_t at = 0; at < body.size(); at += lumora::devlink::kBlockData, ++number) {
        const size_t n = std::min(lumora::devlink::kBlockData, body.size() - at);
        const auto block = lumora::devlink::make_block(number, std::span<const uint8_t>(body).subspan(at, n));
        out.insert(out.end(), block.begin(), block.end());
    }
    out.push_back(lumora::devlink::kEOT);
    return out;
}

void line_seeds() {
    using namespace lumora::devlink;
    Bytes picture(300);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 7);
    seed("xmodem_capture", "three_blocks", xmodem_stream(picture));
    // A block sent twice (our ACK lost), then a pause of 2 s before EOT.
    Bytes again = xmodem_stream(Bytes(128, 0x41));
    again.pop_back();
    const Bytes block(again);
    again.insert(again.end(), block.begin(), block.end());
    again.insert(again.end(), {0xFE, 40, kEOT});
    seed("xmodem_capture", "repeat_pause", again);

    // Operation byte first (see the targets).
    seed("status_ide", "lines", cat({0}, text("hello\r\n125 working\r\n200 OK\r\n")));
    seed("status_ide", "stty", cat({1}, text("stty -echo\r\n200 ok\r\n")));
    seed("status_ide", "delete", cat({2}, text("250 deleted\r\n")));
    seed("status_ide", "defrag",
         cat({3}, text("125 defrag\r\n\xFE\x14"
                       "200 done\r\n")));
    seed("status_ide", "exec", cat({4}, text("200 running\r\n")));
    Bytes upload = text("350 send\r\n");
    upload.push_back(kNAK);
    for (int i = 0; i < 4; ++i) upload.push_back(kACK);
    upload.insert(upload.end(), {kNAK, kACK});
    upload.push_back(kACK);
    const Bytes tail = text("226 stored\r\n");
    seed("status_ide", "upload", cat(cat({5}, upload), tail));

    seed("status_putw", "lines", cat({0}, text("hello\r\n200 ok\r\n452 full\r\n")));
    seed("status_putw", "wait", cat({1}, text("125 wait\r\n200 ok\r\n")));
    seed("status_putw", "defrag",
         cat({4}, text("125 defrag\r\n\xFE\x0A"
                       "200 done\r\n")));
    seed("status_putw", "upload", cat({6}, cat(upload, tail)));
    seed("status_putw", "refused",
         cat({6}, text("350 send\r\n\x15\x18\x18"
                       "452 no room\r\n")));
}

void gateway_seeds() {
    // Read size byte, peer byte count, peer bytes, then frames.
    const Bytes power_on{0x01, 0x00, 0x01, 0x02};
    const Bytes dial{0x01, 0x00, 0x01, 0x08};
    Bytes frames = cat(power_on, dial);
    frames = cat(frames, {0x11, 0x00, 0x01, 0x01});  // open a socket
    Bytes connect{0x11, 0x00, 18, 0x03, 0, 0x00, 0x02, 0x50, 0x00, 192, 0, 2, 1};
    connect.resize(4 + 17, 0);
    frames = cat(frames, connect);
    frames = cat(frames, {0x11, 0x00, 0x05, 0x0E, 0, 'a', 'b', 'c'});  // send
    frames = cat(frames, {0x11, 0x00, 0x03, 0x0D, 0, 20});             // receive a line
    frames = cat(frames, {0x11, 0x00, 0x03, 0x0F, 0, 20});             // receive bytes
    frames = cat(frames, {0x11, 0x00, 0x03, 0x08, 'h', 0});            // look up "h"
    frames = cat(frames, {0x11, 0x00, 0x02, 0x07, 0});                 // close
    frames = cat(frames, {0x0F, 0x00, 0x01, 0xFF});                    // unknown
    const Bytes peer = text("ok\r\nxy");
    seed("gateway_frames", "session", cat(cat({63, static_cast<uint8_t>(peer.size())}, peer), frames));
    seed("gateway_frames", "bytewise", cat({0, 0}, cat(Bytes{0x55, 0x00}, frames)));
}

void shell_seeds() {
    using namespace lumora::devlink;
    const Bytes body(200, 0x33);
    const auto entry = build_plain_entry("GAME.FX", body.size(), 0, EntryFlavor::LmPutw);
    const Bytes upload = cat(build_header(entry), body);
    Bytes session = text("stty -echo\r\nput /rom0\r\n");
    uint8_t number = 1;
    for (size_t at = 0; at < upload.size(); at += 128, ++number) {
        const size_t n = std::min<size_t>(128, upload.size() - at);
        const auto frame =
            lumora::vconsole::make_frame(number, std::span<const uint8_t>(upload).subspan(at, n));
        session = cat(session, frame);
    }
    session.push_back(kEOT);
    session = cat(session, text("ls /rom0\r\nexec /rom0/GAME.FX\r\n\xFE\x0A"
                                "delete /rom0/GAME.FX\r\ndefrag rom0\r\n"));
    seed("vconsole_shell", "session", cat({1}, session));
    seed("vconsole_shell", "commands", cat({0}, text("ls\nstty echo\nbogus\nput\n\xFE\x50\x18\x18")));
}

void file_entry_seeds() {
    using namespace lumora::devlink;
    // A program of 64 code bytes followed by two resource chunks.
    Bytes body(64, 0x90);
    for (const char* type : {"FRBM", "FRMP"}) {
        Bytes chunk(32, 0);
        std::copy(type, type + 4, chunk.begin());
        chunk[4] = 2;  // length in 16-byte units
        chunk[6] = 1;  // resource number
        body = cat(body, chunk);
    }
    auto entry = build_plain_entry("GAME.FX", body.size(), 0, EntryFlavor::LmPutw);
    entry.set_resource(64);
    seed("file_entry", "resources", cat(build_header(entry), body));
    seed("file_entry", "plain", text("just some bytes\n"));
}

// The register block and a few patches (see simulator_views.cpp).
void simulator_seeds() {
    struct Style {
        const char* name;
        uint8_t mode, colour_mode, hard;
        uint16_t display;
    };
    for (const Style& st :
         {Style{"mono", 0, 0, 0, 0x3F}, Style{"colour4", 1, 0xE0, 1, 0x3F},
          Style{"planar_portrait", 3, 0xC0, 1, 0x3F}, Style{"twobit_colour_inverted", 5, 0x80, 1, 0xFFFF}}) {
        Bytes reg(1024, 0);
        for (int i = 0; i < 8; ++i) reg[0x20 + i] = static_cast<uint8_t>(2 * i);  // LCD shades
        const std::pair<size_t, Bytes> fields[] = {
            {0x30, {4, 8, 0, 0}},      // scroll
            {0x34, {8, 8, 100, 60}},   // screen 2 window
            {0x38, {0, 0, 224, 144}},  // sprite window
            {0x3C, {0, 8}},            // sprite range
            {0x3E, {uint8_t(st.display), uint8_t(st.display >> 8)}},
            {0x40, {st.colour_mode}},
            {0x48, {0xFF, 0x01}},  // segment icons
            {0x4F, {1}},           // LCD on
            {0x2FF, {st.hard}},
            {0x300, {0, 0, 28, 18}},  // text window on screen 1
            {0x307, {2}},
            {0x310, {1, 1, 1, 1}},  // cursor
            {0x318, {1, 3}},
        };
        for (const auto& [at, value] : fields) std::copy(value.begin(), value.end(), reg.begin() + at);
        Bytes out = cat({st.mode}, reg);
        auto patch = [&](uint16_t at, const Bytes& value) {
            out = cat(out, {uint8_t(at), uint8_t(at >> 8), uint8_t(value.size())});
            out = cat(out, value);
        };
        Bytes tile;
        for (int i = 0; i < 8; ++i) tile.insert(tile.end(), {0x55, 0xAA});
        patch(0x8010, tile);  // a two-bit tile
        Bytes colour_tile(32);
        for (int i = 0; i < 32; ++i) colour_tile[i] = static_cast<uint8_t>(i);
        patch(0x0020, colour_tile);
        patch(0xA000, {1, 0, 1, 0x20, 1, 0x40, 1, 0xC0});  // screen 1 cells with flips
        patch(0xA800, {1, 0x10, 1, 0});
        patch(0xB000, {1, 0x20, 16, 16, 1, 0x60, 40, 30});    // sprites
        patch(0xB200, {0xFF, 0x0F, 0x00, 0x0F, 0xF0, 0x00});  // a colour palette
        seed("simulator_views", st.name, out);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <folder> <source folder>\n");
        return 2;
    }
    out_root = argv[1];
    const fs::path source = argv[2];
    project_seeds();
    text_seeds(source);
    fr_seeds();
    bmp_seeds(source);
    save_seeds();
    line_seeds();
    gateway_seeds();
    shell_seeds();
    file_entry_seeds();
    simulator_seeds();
    std::printf("%d seeds written under %s\n", written, out_root.c_str());
    return 0;
}
