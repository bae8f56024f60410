// orvconv's inputs: mapinfo.dat beside the map picture, its numbers as the
// window reads them, and the map resource split into the console's pieces.
//
// Input: an option byte, a 16-bit length, that many bytes of mapinfo.dat,
// then the map resource.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "converters/orvconv/mapinfo.h"
#include "converters/orvconv/orv_convert.h"
#include "converters/orvconv/orv_numbers.h"
#include "fuzz/fuzz_support.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    const uint8_t options = in.take_byte();
    const auto mapinfo = in.take(in.take_u16());
    const auto map = in.rest();

    fuzz::ScratchFolder& scratch = fuzz::scratch();
    const std::string fr_path = scratch.file("map.fr");
    if (!fuzz::write_file(scratch.file("mapinfo.dat"), mapinfo)) return 0;
    const orv::MapInfoResult info = orv::read_mapinfo(fr_path);
    if (!info.ok) return 0;

    for (const std::string* field :
         {&info.fields.lu_lat, &info.fields.lu_lon, &info.fields.rd_lat, &info.fields.rd_lon}) {
        const double value = orv::parse_decimal(*field);
        orv::degrees_to_units(value);
        orv::truncate_units(value);
        orv::format_fixed(value, 9);
    }
    orv::parse_leading_int(info.fields.width);
    orv::parse_leading_int(info.fields.height);

    if (options & 1) {
        if (!fuzz::write_file(fr_path, map)) return 0;
        for (const char* piece : {"ORVMAPA.fr", "ORVMAPB1.fr", "ORVMAPB2.fr", "ORVMAPB3.fr", "ORVMAPB4.fr"})
            scratch.file(piece);
        orv::ConvertRequest request;
        request.fr_path = fr_path;
        request.out_dir = scratch.path();
        request.fields = info.fields;
        request.absolute = options & 2;
        orv::convert(request);
    }
    return 0;
}
