#include "devlink/xmodem.h"

#include <algorithm>

namespace lumora::devlink {

uint8_t xmodem_checksum(std::span<const uint8_t> data) {
    unsigned sum = 0;
    for (uint8_t b : data) sum += b;
    return static_cast<uint8_t>(sum);
}

XmodemBlock make_block(uint8_t number, std::span<const uint8_t> data) {
    XmodemBlock block;
    block[0] = kSOH;
    block[1] = number;
    block[2] = static_cast<uint8_t>(255 - number);
    size_t n = std::min(data.size(), kBlockData);
    std::copy_n(data.begin(), n, block.begin() + 3);
    std::fill(block.begin() + 3 + n, block.begin() + 3 + kBlockData, kSUB);
    block[kBlockSize - 1] = xmodem_checksum(std::span<const uint8_t>(block.data() + 3, kBlockData));
    return block;
}

}  // namespace lumora::devlink
