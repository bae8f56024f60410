#include "converters/orvconv/orv_test_maps.h"

#include <fstream>
#include <iterator>

namespace orvtest {

Bytes make_map(const MapShape& s) {
    Bytes out = {0x10, 0x11, 0x12, 0x13, 0x14,       0x15, 0x16, 0x17, s.w,
                 s.h,  0xA0, 0xA1, 0xA2, s.palettes, s.c0, s.c1, 0xB0, 0xB1};
    const size_t palette = s.c1 >= s.c0 ? size_t{s.palettes} * (s.c1 - s.c0) * 2 : 0;
    for (size_t i = 0; i < palette; ++i) out.push_back(static_cast<uint8_t>(i * 3 + 1));
    for (size_t i = 0; i < size_t{s.w} * s.h; ++i) out.push_back(static_cast<uint8_t>(i * 7 + 2));
    const Bytes tiles = tiles_of(s);
    out.insert(out.end(), tiles.begin(), tiles.end());
    return out;
}

Bytes tiles_of(const MapShape& s) {
    Bytes tiles(s.tile_bytes);
    for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
    return tiles;
}

std::string mapinfo_text(const std::string& lu_lat, const std::string& lu_lon, const std::string& rd_lat,
                         const std::string& rd_lon, const std::string& width, const std::string& height) {
    std::string t = "MAPINFO\r\nsheet 12\r\n\r\nunused\r\nunused\r\n";
    for (const std::string* line : {&lu_lat, &lu_lon, &rd_lat, &rd_lon, &width, &height}) t += *line + "\r\n";
    return t + "end\r\n";
}

Bytes from_hex(std::string_view hex) {
    Bytes out;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c & ~0x20) - 'A' + 10; };
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    return out;
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    return std::ifstream(path).good();
}

void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

Reference small_map() {
    Reference r;
    r.shape = {4, 3, 2, 1, 4, 384};
    r.mapinfo = mapinfo_text("35.7", "139.6", "35.6", "139.8", "40", "24");
    r.header_file = from_hex(
        "10111213141516170403A0A1A2020104B0B101000002BF6319001C4563008B5119003C626300000120D8C65E201D34121C45"
        "6300"
        "644C6300AC536300F45A6300BF631900AD5D19009C5719000104070A0D101316191C1F22020910171E252C333A41484F");
    return r;
}

Reference date_line_map() {
    Reference r;
    r.shape = {2, 2, 1, 0, 2, 64};
    r.mapinfo = mapinfo_text("10.5", "170.001614", "-5.25", "190.001614", "16", "20");
    r.header_file = from_hex(
        "10111213141516170202A0A1A2010002B0B1010000043A7807008EE378007882FEFF721C87FF010178E3E4FF1CC7C2F58EE3"
        "7800"
        "000000003A78070059FD02000104070A02091017");
    return r;
}

Reference absolute_map() {
    Reference r;
    r.shape = {3, 2, 1, 0, 1, 192};
    r.mapinfo = mapinfo_text("1500000.25", "5000000.75", "1400000.5", "5300000.001614", "30", "16");
    r.absolute = true;
    r.header_file = from_hex(
        "10111213141516170302A0A1A2010001B0B10100AA0260E31600404B4C00C05C1500C0F44F0000010012404B80A9A086404B"
        "4C00"
        "C0834D0040BC4E0060E31600102016000104020910171E25");
    return r;
}

Reference wide_map(size_t tile_bytes) {
    Reference r;
    r.shape = {8, 2, 1, 2, 4, tile_bytes};
    r.mapinfo = mapinfo_text("35.0", "135.0", "34.5", "135.5", "64", "16");
    r.header_file = from_hex(
        "10111213141516170802A0A1A2010204B0B10100000151E41800B4FF5F004B891800BA5A60000001CB712CC7065B065BB4FF"
        "5F00"
        "140B600075166000D6216000372D600097386000F8436000594F600051E41800CEB618000104070A020910171E252C333A41"
        "484F"
        "565D646B");
    const size_t files = tile_bytes / 65536 + 1;
    r.header_file[18] = static_cast<uint8_t>(files);
    return r;
}

Reference narrow_map(size_t tile_bytes) {
    Reference r;
    r.shape = {3, 1, 0, 0, 0, tile_bytes};
    r.mapinfo = mapinfo_text("35.0", "135.0", "34.5", "135.5", "24", "8");
    r.header_file = from_hex(
        "10111213141516170301A0A1A2000000B0B10100AA0251E41800B4FF5F004B891800BA5A600000011EDA588E065B065BB4FF"
        "5F00"
        "0B1E6000623C600051E41800020910");
    r.header_file[18] = static_cast<uint8_t>(tile_bytes / 65472 + 1);
    return r;
}

}  // namespace orvtest
