#include "converters/orvconv/mapinfo.h"

#include <fstream>
#include <vector>

#include "converters/orvconv/orv_messages.h"
#include "converters/orvconv/orv_numbers.h"

namespace lumora::orv {

namespace {

// Fixed corrections the console's maps need on mapinfo.dat's corners.
constexpr double kLatitudeShift = 0.004181;
constexpr double kLongitudeShift = -0.001614;
constexpr size_t kMaxLineChars = 79;
constexpr size_t kLinesNeeded = 11;  // line 12 is not used

}  // namespace

std::string mapinfo_path_for(const std::string& fr_path) {
    const size_t slash = fr_path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return fr_path.substr(0, slash + 1) + "mapinfo.dat";
}

MapInfoResult read_mapinfo(const std::string& fr_path) {
    MapInfoResult result;
    const std::string path = mapinfo_path_for(fr_path);
    if (path.empty()) {
        result.message = msg::kNoCoordinateFile;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.message = msg::kCannotOpenCoordinateFile;
        return result;
    }
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < 12 && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLineChars) line.resize(kMaxLineChars);
        lines.push_back(line);
    }
    if (in.bad()) {
        result.message = msg::kCannotReadCoordinateFile;
        return result;
    }
    if (lines.size() < kLinesNeeded) {
        result.message = msg::kCoordinateFileTooShort;
        return result;
    }
    result.fields.lu_lat = format_fixed(parse_decimal(lines[5]) + kLatitudeShift, 9);
    result.fields.lu_lon = format_fixed(parse_decimal(lines[6]) + kLongitudeShift, 10);
    result.fields.rd_lat = format_fixed(parse_decimal(lines[7]) + kLatitudeShift, 9);
    result.fields.rd_lon = format_fixed(parse_decimal(lines[8]) + kLongitudeShift, 10);
    result.fields.width = lines[9];
    result.fields.height = lines[10];
    result.ok = true;
    return result;
}

}  // namespace lumora::orv
