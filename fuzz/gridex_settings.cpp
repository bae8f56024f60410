// gridex's settings text, and the number reading under it.

#include <cstdint>
#include <string_view>

#include "converters/gridex/gridex_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    lumora::gridex::parse_settings(text);
    lumora::gridex::parse_int_prefix(text);
    return 0;
}
