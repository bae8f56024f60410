// The music program's save file: parsing and the translation into MML.

#include <cstdint>
#include <span>

#include "converters/cantara2mml/cantara_mml.h"
#include "converters/cantara2mml/cantara_save.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumora::cantara::SaveStatus status;
    const auto score = lumora::cantara::parse_save(std::span<const uint8_t>(data, size), &status);
    if (score) lumora::cantara::to_mml(*score);
    return 0;
}
