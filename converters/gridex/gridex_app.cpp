#include "converters/gridex/gridex_app.h"

#include <sys/stat.h>

#include <cstdio>
#include <new>
#include <optional>
#include <span>
#include <string_view>

#include "common/bmp.h"
#include "common/replace_file.h"
#include "converters/gridex/gridex_convert.h"
#include "converters/gridex/gridex_settings.h"

namespace lumora::gridex {

namespace {

constexpr const char* kUsage = "gridex ini_file bmp_file map_file\n";

std::string format(const char* pattern, const std::string& name) {
    std::string s;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            s += name;
            ++p;
        } else {
            s += *p;
        }
    }
    return s;
}

// Reads a whole file; an empty file counts as a failure, as nothing can be
// converted from it.
std::optional<std::vector<uint8_t>> read_whole(const std::string& name, std::ostream& out) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        out << "file open error " << name << "\n";
        return std::nullopt;
    }
    std::vector<uint8_t> data;
    bool read_failed = false;
    // The size is only a hint for the buffer, and only regular files have one.
    long long size = 0;
    struct stat st {};
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode)) size = st.st_size;
    try {
        if (size > 0) data.reserve(static_cast<size_t>(size));
        uint8_t chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
        read_failed = std::ferror(f) != 0;
    } catch (const std::bad_alloc&) {
        out << "File_Read_Heap: " << name << " heap alloc error, size" << size << "\n";
        std::fclose(f);
        return std::nullopt;
    }
    std::fclose(f);
    if (read_failed) {
        out << "File_Read_Heap: " << name << " file read error\n";
        return std::nullopt;
    }
    if (data.empty()) return std::nullopt;
    return data;
}

// Creates or replaces `name`. Reports and returns false on failure.
// The old file stays until the new one is complete.
bool write_whole(const std::string& name, std::span<const uint8_t> bytes, std::ostream& out) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    switch (replace_file(name, text)) {
        case ReplaceOutcome::Done:
            return true;
        case ReplaceOutcome::CannotCreate:
            out << "file open error " << name << "\n";
            return false;
        case ReplaceOutcome::CannotWrite:
            break;
    }
    out << "file write error " << name;
    return false;
}

bool is_option(const std::string& arg) {
    // On this host absolute paths begin with "/", so only "/?" is taken as a
    // slash option; every other "/..." argument is a file name.
    if (arg.empty()) return false;
    if (arg[0] == '-') return true;
    return arg[0] == '/' && arg.size() >= 2 && arg[1] == '?';
}

void print_help(std::ostream& out) {
    out << kUsage
        << "\n"
           "Converts the map area of an 8-bit BMP into a tile map of the parts area\n"
           "and writes the block attributes of the attribute area.\n"
           "\n"
           "  ini_file   settings: map area x,y,w,h / attribute area x,y /\n"
           "             parts area x,y,w,h / base tile number (one line each)\n"
           "  bmp_file   8-bit BMP, width and height multiples of 8\n"
           "  map_file   map to write (little-endian 16-bit cells)\n"
           "  attr_file  block attributes to write (fourth file name)\n"
           "\n"
           "Exit status: 0 done, 1 wrong arguments, 2 conversion or write failed.\n";
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out) {
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (arg == "--help") {
            print_help(out);
            return kExitOk;
        }
        if (is_option(arg)) {
            if (arg.size() >= 2 && arg[1] == '?') {
                out << kUsage;
                return kExitOk;
            }
            continue;  // other options have no effect
        }
        names.push_back(arg);
    }
    if (names.size() < 4) {
        out << kUsage << "argument error\n";
        return kExitUsage;
    }
    const std::string& ini_name = names[0];
    const std::string& bmp_name = names[1];
    const std::string& map_name = names[2];
    const std::string& attr_name = names[3];

    const auto ini = read_whole(ini_name, out);
    if (!ini) {
        out << format("Map_Cnv_Bmp:%s file read error\n", ini_name);
        return kExitFailed;
    }
    const auto settings =
        parse_settings(std::string_view(reinterpret_cast<const char*>(ini->data()), ini->size()));
    if (!settings) {
        out << format("Map_Cnv_Bmp:%s file has too few values\n", ini_name);
        return kExitFailed;
    }

    const auto bmp = read_whole(bmp_name, out);
    if (!bmp) {
        out << format("Map_Cnv_Bmp:%s file read error\n", bmp_name);
        return kExitFailed;
    }
    const auto header = parse_bmp_header(*bmp);
    if (!header) {
        out << format("Map_Cnv_Bmp:%s file is not BMP\n", bmp_name);
        return kExitFailed;
    }
    if (header->bit_count != 8) {
        out << format("Grp_Cnv_Bmp:%s file is ", bmp_name) << header->bit_count << "bit BMP not support\n";
        return kExitFailed;
    }
    if (header->width % 8 != 0 || header->height % 8 != 0) {
        out << format("Grp_Cnv_Bmp:%s file is width", bmp_name) << header->width << " height"
            << header->height << " BMP not support\n";
        return kExitFailed;
    }
    // Run-length coded pictures are decoded first; the comparisons then run
    // on the decoded rows.
    std::vector<uint8_t> decoded;
    BmpStatus status = BmpStatus::Ok;
    const auto pixels = bmp_decoded_pixels(*bmp, *header, decoded, &status);
    if (!pixels) {
        if (status == BmpStatus::UnsupportedCompression)
            out << format("Grp_Cnv_Bmp:%s file is compressed BMP not support\n", bmp_name);
        else
            out << format("Map_Cnv_Bmp:%s file read error\n", bmp_name);
        return kExitFailed;
    }

    ConvertResult result;
    try {
        result = convert(*pixels, *settings);
    } catch (const std::bad_alloc&) {
        out << format("Map_Cnv_Bmp:%s out of memory\n", bmp_name);
        return kExitFailed;
    }
    switch (result.status) {
        case ConvertStatus::Ok:
            break;
        case ConvertStatus::AreaOutside:
            out << "Map_Cnv_Bmp:" << bmp_name << " " << result.area << " area lies outside the picture\n";
            return kExitFailed;
        case ConvertStatus::Disagreement:
            out << bmp_name << " map parts disagreement x" << result.cell_x << " y" << result.cell_y << "\n";
            return kExitFailed;
    }

    // The attribute file is written even when the map file fails.
    const bool map_ok = write_whole(map_name, result.map, out);
    const bool attr_ok = write_whole(attr_name, result.attributes, out);
    return map_ok && attr_ok ? kExitOk : kExitFailed;
}

}  // namespace lumora::gridex
