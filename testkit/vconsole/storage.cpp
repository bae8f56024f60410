#include "testkit/vconsole/storage.h"

#include <algorithm>

namespace lumora::vconsole {

uint32_t Rom0Storage::blocks_for(uint64_t body_size) {
    uint64_t body_blocks = (body_size + kBlockSize - 1) / kBlockSize;
    // Anything near 2^32 blocks can never fit; saturate instead of wrapping.
    return body_blocks >= UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(body_blocks + 1);
}

uint32_t Rom0Storage::used_blocks() const {
    uint32_t used = 0;
    for (const auto& f : files_) used += f.block_count;
    return used;
}

uint32_t Rom0Storage::largest_hole() const {
    uint32_t largest = 0;
    uint32_t pos = 0;
    for (const auto& f : files_) {
        largest = std::max(largest, f.first_block - pos);
        pos = f.first_block + f.block_count;
    }
    return std::max(largest, capacity_ - pos);
}

const StoredFile* Rom0Storage::find(std::string_view name) const {
    for (const auto& f : files_)
        if (f.name == name) return &f;
    return nullptr;
}

std::optional<uint32_t> Rom0Storage::first_fit(uint32_t blocks) const {
    uint32_t pos = 0;
    for (const auto& f : files_) {
        if (f.first_block - pos >= blocks) return pos;
        pos = f.first_block + f.block_count;
    }
    if (capacity_ - pos >= blocks) return pos;
    return std::nullopt;
}

PlaceResult Rom0Storage::check(std::string_view name, uint64_t body_size) const {
    if (find(name)) return PlaceResult::Exists;
    uint32_t need = blocks_for(body_size);
    if (need > free_blocks()) return PlaceResult::NoSpace;
    if (!first_fit(need)) return PlaceResult::Fragmented;
    return PlaceResult::Ok;
}

PlaceResult Rom0Storage::add(StoredFile file) {
    PlaceResult r = check(file.name, file.body.size());
    if (r != PlaceResult::Ok) return r;
    file.block_count = blocks_for(file.body.size());
    file.first_block = *first_fit(file.block_count);
    auto at = std::find_if(files_.begin(), files_.end(),
                           [&](const StoredFile& f) { return f.first_block > file.first_block; });
    files_.insert(at, std::move(file));
    return PlaceResult::Ok;
}

bool Rom0Storage::erase(std::string_view name) {
    auto it = std::find_if(files_.begin(), files_.end(), [&](const StoredFile& f) { return f.name == name; });
    if (it == files_.end()) return false;
    files_.erase(it);
    return true;
}

void Rom0Storage::defrag() {
    uint32_t pos = 0;
    for (auto& f : files_) {
        f.first_block = pos;
        pos += f.block_count;
    }
}

}  // namespace lumora::vconsole
