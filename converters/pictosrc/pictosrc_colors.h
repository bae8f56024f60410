#pragma once
// Colour keys, colour entries with the pixels that use them, and the colour
// merging that brings a colour set down to a given number of entries.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumora::pictosrc {

// A colour cut to 4 bits per component.
struct Key {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    bool operator==(const Key&) const = default;
};

inline Key key_of(uint8_t blue, uint8_t green, uint8_t red) {
    return {static_cast<uint8_t>(blue >> 4), static_cast<uint8_t>(green >> 4), static_cast<uint8_t>(red >> 4)};
}

inline int distance(Key a, Key b) {
    const int db = a.blue - b.blue;
    const int dg = a.green - b.green;
    const int dr = a.red - b.red;
    return db * db + dg * dg + dr * dr;
}

// Pixel positions (y × width + x) kept as singly linked lists in one shared
// array, so moving all pixels of one entry to another is constant time. Every
// position belongs to exactly one list at any moment.
class PositionPool {
public:
    explicit PositionPool(size_t positions) : next_(positions, -1) {}
    int32_t next(int32_t position) const { return next_[static_cast<size_t>(position)]; }
    void link(int32_t from, int32_t to) { next_[static_cast<size_t>(from)] = to; }

private:
    std::vector<int32_t> next_;
};

struct Entry {
    Key key;
    uint32_t count = 0;
    int32_t head = -1;
    int32_t tail = -1;

    void add(PositionPool& pool, int32_t position);
    // Moves all of `other`'s positions to the end of this entry's list.
    void take(PositionPool& pool, Entry& other);
};

// Ordered: order of first appearance, then of insertion.
using ColorSet = std::vector<Entry>;

// Index of the first entry with `key`, or -1.
int find_key(const ColorSet& set, Key key);

// Colour merging: while the set has more than `limit` entries, the closest
// pair (first in set order on ties) becomes one entry in the earlier one's
// place, its key the average of the two with each weighted by the other's
// pixel count.
void reduce(ColorSet& set, PositionPool& pool, size_t limit = 15);

}  // namespace lumora::pictosrc
