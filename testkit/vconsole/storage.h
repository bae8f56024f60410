#pragma once
// The console's /rom0 area: a fixed number of 128-byte blocks in which files
// sit contiguously. A file takes one block for its directory entry plus its
// body blocks. Deleting leaves a hole; only "defrag" closes the holes, so a
// file can fit in total and still have no place until then.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::vconsole {

constexpr size_t kBlockSize = 128;

struct StoredFile {
    std::string name;
    std::vector<uint8_t> header;  // the 128-byte file entry header as it arrived
    std::vector<uint8_t> body;    // exactly `size` bytes, padding dropped
    uint16_t mode = 0;
    uint32_t first_block = 0;  // set by the storage
    uint32_t block_count = 0;  // set by the storage
};

enum class PlaceResult { Ok, Exists, Fragmented, NoSpace };

class Rom0Storage {
  public:
    explicit Rom0Storage(uint32_t capacity_blocks) : capacity_(capacity_blocks) {}

    // Blocks a file of this body size occupies: its entry block and its body.
    static uint32_t blocks_for(uint64_t body_size);

    uint32_t capacity() const { return capacity_; }
    uint32_t used_blocks() const;
    uint32_t free_blocks() const { return capacity_ - used_blocks(); }
    uint32_t largest_hole() const;

    const StoredFile* find(std::string_view name) const;
    // Whether a file of this name and body size could be placed right now.
    PlaceResult check(std::string_view name, uint64_t body_size) const;
    // Places the file in the first hole that holds it.
    PlaceResult add(StoredFile file);
    bool erase(std::string_view name);
    // Moves every file down so that all free blocks form one hole at the end.
    void defrag();

    // Files in block order.
    const std::vector<StoredFile>& files() const { return files_; }

  private:
    std::optional<uint32_t> first_fit(uint32_t blocks) const;

    uint32_t capacity_;
    std::vector<StoredFile> files_;
};

}  // namespace lumora::vconsole
