#include "converters/orvconv/orv_convert.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/le_bytes.h"
#include "converters/iflmfr/fr_map.h"
#include "converters/orvconv/orv_messages.h"
#include "converters/orvconv/orv_numbers.h"

namespace lumora::orv {

PieceLayout layout_pieces(unsigned width_tiles, size_t tile_bytes) {
    PieceLayout p;
    p.rows_per_piece = static_cast<uint16_t>(kPieceLimit / (fr::kMapTileBytes * width_tiles));
    p.piece_bytes = size_t{p.rows_per_piece} * fr::kMapTileBytes * width_tiles;
    p.full_pieces = tile_bytes / p.piece_bytes;
    p.last_bytes = tile_bytes % p.piece_bytes;
    return p;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

ConvertResult fail(const char* message) {
    ConvertResult r;
    r.message = message;
    return r;
}

std::string write_error(const std::string& name) {
    return name + " に書き込めません\n";
}

bool read_exact(std::FILE* f, uint8_t* out, size_t n) {
    return n == 0 || std::fread(out, 1, n, f) == n;
}

// Writes everything and closes; false when any byte did not reach the file.
bool write_and_close(File file, const uint8_t* data, size_t n) {
    bool ok = n == 0 || std::fwrite(data, 1, n, file.get()) == n;
    ok = (std::fflush(file.get()) == 0) && ok;
    ok = (std::fclose(file.release()) == 0) && ok;
    return ok;
}

struct Corners {
    double lu_lat, lu_lon, rd_lat, rd_lon;
};

uint16_t low16(int64_t v) {
    return static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFF);
}

}  // namespace

ConvertResult convert(const ConvertRequest& request) {
    File input(std::fopen(request.fr_path.c_str(), "rb"));
    if (!input) return fail(msg::kCannotOpenInput);

    // Layout first, from the header and the file length.
    uint8_t head[fr::kMapHeaderSize];
    if (std::fseek(input.get(), 0, SEEK_END) != 0) return fail(msg::kCannotReadInput);
    const long end = std::ftell(input.get());
    if (end < 0 || std::fseek(input.get(), 0, SEEK_SET) != 0) return fail(msg::kCannotReadInput);
    const auto file_length = static_cast<size_t>(end);
    if (!read_exact(input.get(), head, sizeof head)) return fail(msg::kInputTooShort);
    const auto map = fr::parse_map_header({head, sizeof head});
    if (!map) return fail(msg::kInputTooShort);
    if (!map->colour_range_valid()) return fail(msg::kBadColourRange);
    if (map->width_tiles == 0 || map->height_tiles == 0) return fail(msg::kNoTiles);
    const size_t tiles_at = map->tile_data_offset();
    if (file_length < tiles_at) return fail(msg::kInputTooShort);
    const size_t tile_bytes = file_length - tiles_at;
    const PieceLayout pieces = layout_pieces(map->width_tiles, tile_bytes);
    if (pieces.full_pieces > kMaxDataFiles - 1) return fail(msg::kFileTooLarge);

    // The fields, checked before any output file is touched.
    const long long w = parse_leading_int(request.fields.width);
    const long long h = parse_leading_int(request.fields.height);
    if (w <= 0 || h <= 0) return fail(msg::kBadImageSize);
    Corners c{parse_decimal(request.fields.lu_lat), parse_decimal(request.fields.lu_lon),
              parse_decimal(request.fields.rd_lat), parse_decimal(request.fields.rd_lon)};
    const Corners read = c;
    // The picture may extend past the tiled area; move the lower-right
    // corner to the tiles' edge.
    const double W = map->width_tiles, H = map->height_tiles;
    c.rd_lon =
        read.rd_lon - (read.rd_lon - read.lu_lon) / static_cast<double>(w) * (static_cast<double>(w) - 8 * W);
    c.rd_lat =
        read.rd_lat - (read.rd_lat - read.lu_lat) / static_cast<double>(h) * (static_cast<double>(h) - 8 * H);
    int32_t units[4];
    double* values[4] = {&c.lu_lat, &c.lu_lon, &c.rd_lat, &c.rd_lon};
    for (int i = 0; i < 4; ++i) {
        double v = *values[i];
        std::optional<int32_t> u;
        if (request.absolute) {
            u = truncate_units(v);
        } else {
            if (v > 180) v -= 360;
            u = degrees_to_units(v);
        }
        if (!u) return fail(msg::kBadCoordinate);
        units[i] = *u;
    }
    const double lu_lat = units[0], lu_lon = units[1], rd_lat = units[2], rd_lon = units[3];

    // Everything the outputs need is read before any of them is created.
    std::vector<uint8_t> body(file_length - fr::kMapHeaderSize);
    if (!read_exact(input.get(), body.data(), body.size())) return fail(msg::kCannotReadInput);
    input.reset();

    std::vector<uint8_t> header_file;
    ByteWriter out(header_file);
    out.raw(map->raw.data(), map->raw.size());
    out.u16(static_cast<uint16_t>(pieces.full_pieces + 1));
    out.u16(pieces.rows_per_piece);
    out.s32(units[0]).s32(units[1]).s32(units[2]).s32(units[3]);
    out.u8(lu_lon > rd_lon ? 1 : 0);
    out.u8(lu_lat > rd_lat ? 1 : 0);
    // Spans of finite 32-bit values stay well inside 64 bits.
    out.u16(low16(*checked_trunc((std::fabs((rd_lon - lu_lon) / W) + 0.009) * 100)));
    out.u16(low16(*checked_trunc((std::fabs((rd_lat - lu_lat) / H) + 0.009) * 100)));
    out.u16(low16(*checked_trunc(std::fabs(lu_lon - rd_lon) + 0.99)));
    out.u16(low16(*checked_trunc(std::fabs(lu_lat - rd_lat) + 0.99)));
    for (unsigned i = 0; i < map->width_tiles; ++i)
        out.s32(static_cast<int32_t>(*checked_trunc(i * (rd_lon - lu_lon) / W + lu_lon)));
    for (unsigned j = 0; j < map->height_tiles; ++j)
        out.s32(static_cast<int32_t>(*checked_trunc(j * (rd_lat - lu_lat) / H + lu_lat)));
    const size_t blocks = map->palette_bytes() + map->attribute_bytes();
    out.raw(body.data(), blocks);

    const std::string dir = request.out_dir.empty() ? std::string(".") : request.out_dir;
    const std::string header_name = "ORVMAPA.fr";
    File header(std::fopen((dir + "/" + header_name).c_str(), "wb"));
    if (!header) return fail(msg::kCannotOpenHeaderFile);
    const int data_files = static_cast<int>(pieces.full_pieces) + 1;
    File data[kMaxDataFiles];
    for (int k = data_files - 1; k >= 0; --k) {
        data[k].reset(std::fopen((dir + "/ORVMAPB" + std::to_string(k + 1) + ".fr").c_str(), "wb"));
        if (!data[k]) return fail(msg::kCannotOpenData[k]);
    }

    if (!write_and_close(std::move(header), header_file.data(), header_file.size()))
        return ConvertResult{false, write_error(header_name), 0};
    const uint8_t* tiles = body.data() + blocks;
    for (int k = 0; k < data_files; ++k) {
        const size_t n = static_cast<size_t>(k) < pieces.full_pieces ? pieces.piece_bytes : pieces.last_bytes;
        if (!write_and_close(std::move(data[k]), tiles + static_cast<size_t>(k) * pieces.piece_bytes, n))
            return ConvertResult{false, write_error("ORVMAPB" + std::to_string(k + 1) + ".fr"), 0};
    }
    ConvertResult ok;
    ok.ok = true;
    ok.data_files = data_files;
    return ok;
}

}  // namespace lumora::orv
