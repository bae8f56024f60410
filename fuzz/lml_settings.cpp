// The launcher's settings file (lml.ini): reading it over the defaults, and
// what we write from the result must read back the same.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lml_ini.h"

using namespace lumora::lml;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const LmlSettings defaults = default_settings("/home/u/lumo/bin/editor");
    const LmlSettings read = parse_lml_ini(bytes, defaults);
    if (parse_lml_ini(format_lml_ini(read), defaults) != read) std::abort();
    return 0;
}
