#pragma once
// mapinfo.dat: the geographic corners and pixel size of a map picture,
// kept beside its .fr file.

#include <string>

namespace lumora::orv {

// The six field texts as the window shows them.
struct MapFields {
    std::string lu_lat = "0";
    std::string lu_lon = "0";
    std::string rd_lat = "0";
    std::string rd_lon = "0";
    std::string width = "0";
    std::string height = "0";
};

struct MapInfoResult {
    bool ok = false;
    std::string message;  // set when !ok
    MapFields fields;
};

// "dir/name.fr" -> "dir/mapinfo.dat"; empty when the path has no folder part.
std::string mapinfo_path_for(const std::string& fr_path);

// Reads mapinfo.dat beside `fr_path` (lines 6-11 used, at most 79
// characters of each line) and turns it into field texts.
MapInfoResult read_mapinfo(const std::string& fr_path);

}  // namespace lumora::orv
