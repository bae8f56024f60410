#include "converters/pictosrc/pictosrc_colors.h"

#include <climits>

namespace lumora::pictosrc {

void Entry::add(PositionPool& pool, int32_t position) {
    pool.link(position, -1);
    if (tail >= 0)
        pool.link(tail, position);
    else
        head = position;
    tail = position;
    ++count;
}

void Entry::take(PositionPool& pool, Entry& other) {
    if (other.head < 0) return;
    if (tail >= 0)
        pool.link(tail, other.head);
    else
        head = other.head;
    tail = other.tail;
    count += other.count;
    other.head = other.tail = -1;
    other.count = 0;
}

int find_key(const ColorSet& set, Key key) {
    for (size_t i = 0; i < set.size(); ++i)
        if (set[i].key == key) return static_cast<int>(i);
    return -1;
}

namespace {

uint8_t blend(uint32_t count_p, uint8_t p, uint32_t count_q, uint8_t q) {
    const uint64_t sum = uint64_t{count_p} * q + uint64_t{count_q} * p;
    return static_cast<uint8_t>(sum / (uint64_t{count_p} + count_q));
}

}  // namespace

void reduce(ColorSet& set, PositionPool& pool, size_t limit) {
    while (set.size() > limit) {
        int best = INT_MAX;
        size_t bp = 0, bq = 1;
        for (size_t p = 0; p + 1 < set.size(); ++p) {
            for (size_t q = p + 1; q < set.size(); ++q) {
                const int d = distance(set[p].key, set[q].key);
                if (d < best) {
                    best = d;
                    bp = p;
                    bq = q;
                }
            }
        }
        Entry& P = set[bp];
        Entry& Q = set[bq];
        if (P.count + Q.count > 0) {
            P.key.blue = blend(P.count, P.key.blue, Q.count, Q.key.blue);
            P.key.green = blend(P.count, P.key.green, Q.count, Q.key.green);
            P.key.red = blend(P.count, P.key.red, Q.count, Q.key.red);
        }
        P.take(pool, Q);
        set.erase(set.begin() + static_cast<std::ptrdiff_t>(bq));
    }
}

}  // namespace lumora::pictosrc
