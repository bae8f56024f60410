#pragma once
// XMODEM with the 8-bit checksum: control bytes and the 132-byte block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora::devlink {

constexpr uint8_t kSOH = 0x01;
constexpr uint8_t kEOT = 0x04;
constexpr uint8_t kACK = 0x06;
constexpr uint8_t kNAK = 0x15;
constexpr uint8_t kCAN = 0x18;
constexpr uint8_t kSUB = 0x1A;

constexpr size_t kBlockData = 128;
constexpr size_t kBlockSize = 132;

using XmodemBlock = std::array<uint8_t, kBlockSize>;

// Sum of the bytes modulo 256.
uint8_t xmodem_checksum(std::span<const uint8_t> data);

// SOH, number, 255 - number, 128 data bytes (a shorter `data` is padded with
// SUB), checksum.
XmodemBlock make_block(uint8_t number, std::span<const uint8_t> data);

}  // namespace lumora::devlink
