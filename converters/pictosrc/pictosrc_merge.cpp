#include "converters/pictosrc/pictosrc_merge.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace lumora::pictosrc {

uint32_t merge_cost(const ColorSet& a, const ColorSet& b) {
    uint32_t total = 0;
    for (const Entry& eb : b) {
        int nearest = INT_MAX;
        for (const Entry& ea : a) nearest = std::min(nearest, distance(ea.key, eb.key));
        if (!a.empty()) total += static_cast<uint32_t>(nearest);
    }
    return total;
}

void merge_into(ColorSet& a, ColorSet& b, PositionPool& pool) {
    for (Entry& eb : b) {
        const int at = find_key(a, eb.key);
        if (at >= 0) {
            a[static_cast<size_t>(at)].take(pool, eb);
        } else {
            a.push_back(Entry{eb.key, 0, -1, -1});
            a.back().take(pool, eb);
        }
    }
    b.clear();
    reduce(a, pool);
}

namespace {

void merge_straightforward(std::vector<ColorSet>& palettes, PositionPool& pool, const MergeProgress& progress,
                           size_t limit) {
    while (palettes.size() > limit && palettes.size() >= 2) {
        if (progress) progress(palettes.size());
        uint32_t best = std::numeric_limits<uint32_t>::max();
        size_t ba = 0, bb = 1;
        bool done = false;
        for (size_t a = 0; a + 1 < palettes.size() && !done; ++a) {
            for (size_t b = a + 1; b < palettes.size(); ++b) {
                const uint32_t c = merge_cost(palettes[a], palettes[b]);
                if (c < best) {
                    best = c;
                    ba = a;
                    bb = b;
                    if (c == 0) {
                        done = true;
                        break;
                    }
                }
            }
        }
        merge_into(palettes[ba], palettes[bb], pool);
        palettes.erase(palettes.begin() + static_cast<std::ptrdiff_t>(bb));
    }
}

// Palettes are never reordered and merging removes the later one of a pair, so
// the list stays sorted by creation index ("id"); `alive` holds those ids.
class IncrementalMerger {
public:
    IncrementalMerger(std::vector<ColorSet>& palettes, PositionPool& pool)
        : palettes_(palettes), pool_(pool), n_(palettes.size()), best_cost_(n_, kNone), best_(n_, -1) {
        alive_.reserve(n_);
        for (size_t i = 0; i < n_; ++i) alive_.push_back(static_cast<int32_t>(i));
        // Every cost fits in 16 bits (15 colours × 675 at most); keep the whole
        // table while it stays small, else compute costs when asked.
        if (n_ <= kTableLimit) table_.assign(n_ * n_, 0);
        for (size_t i = 0; i < n_; ++i)
            for (size_t j = i + 1; j < n_ && !table_.empty(); ++j) table_[i * n_ + j] = compute(i, j);
        for (size_t k = 0; k < alive_.size(); ++k) recompute_row(k);
    }

    void run(const MergeProgress& progress, size_t limit) {
        while (alive_.size() > limit && alive_.size() >= 2) {
            if (progress) progress(alive_.size());
            step();
        }
        std::vector<ColorSet> kept;
        kept.reserve(alive_.size());
        for (int32_t id : alive_) kept.push_back(std::move(palettes_[static_cast<size_t>(id)]));
        palettes_ = std::move(kept);
    }

private:
    static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    static constexpr size_t kTableLimit = 4096;

    uint32_t compute(size_t a, size_t b) const { return merge_cost(palettes_[a], palettes_[b]); }
    uint32_t cost(size_t a, size_t b) const { return table_.empty() ? compute(a, b) : table_[a * n_ + b]; }

    // Best partner of the palette at list position k among those after it.
    void recompute_row(size_t k) {
        const size_t a = static_cast<size_t>(alive_[k]);
        uint32_t best = kNone;
        int32_t who = -1;
        for (size_t m = k + 1; m < alive_.size(); ++m) {
            const size_t b = static_cast<size_t>(alive_[m]);
            const uint32_t c = cost(a, b);
            if (c < best) {
                best = c;
                who = static_cast<int32_t>(b);
                if (c == 0) break;  // nothing later can beat the first zero
            }
        }
        best_cost_[a] = best;
        best_[a] = who;
    }

    size_t position_of(int32_t id) const {
        return static_cast<size_t>(std::lower_bound(alive_.begin(), alive_.end(), id) - alive_.begin());
    }

    void step() {
        // The first palette whose best pair is cheapest; its partner is the
        // first one with that cost. Together: the first cheapest pair.
        size_t ka = 0;
        for (size_t k = 1; k + 1 < alive_.size(); ++k)
            if (best_cost_[static_cast<size_t>(alive_[k])] < best_cost_[static_cast<size_t>(alive_[ka])]) ka = k;
        const int32_t a = alive_[ka];
        const int32_t b = best_[static_cast<size_t>(a)];
        merge_into(palettes_[static_cast<size_t>(a)], palettes_[static_cast<size_t>(b)], pool_);
        alive_.erase(alive_.begin() + static_cast<std::ptrdiff_t>(position_of(b)));

        const size_t ua = static_cast<size_t>(a);
        // Costs with A changed; store them once.
        std::vector<uint32_t> with_a(alive_.size(), 0);
        for (size_t k = 0; k < alive_.size(); ++k) {
            const size_t x = static_cast<size_t>(alive_[k]);
            if (x < ua) {
                with_a[k] = compute(x, ua);
                if (!table_.empty()) table_[x * n_ + ua] = static_cast<uint16_t>(with_a[k]);
            } else if (x > ua && !table_.empty()) {
                table_[ua * n_ + x] = static_cast<uint16_t>(compute(ua, x));
            }
        }
        recompute_row(ka);
        for (size_t k = 0; k < alive_.size(); ++k) {
            const int32_t x = alive_[k];
            const size_t ux = static_cast<size_t>(x);
            if (x < a) {
                if (best_[ux] == a || best_[ux] == b) {
                    recompute_row(k);
                } else if (with_a[k] < best_cost_[ux] || (with_a[k] == best_cost_[ux] && a < best_[ux])) {
                    best_cost_[ux] = with_a[k];
                    best_[ux] = a;
                }
            } else if (x > a && x < b) {
                if (best_[ux] == b) recompute_row(k);
            } else if (x > b) {
                break;
            }
        }
    }

    std::vector<ColorSet>& palettes_;
    PositionPool& pool_;
    size_t n_;
    std::vector<int32_t> alive_;
    std::vector<uint32_t> best_cost_;
    std::vector<int32_t> best_;
    std::vector<uint16_t> table_;
};

}  // namespace

void merge_palettes(std::vector<ColorSet>& palettes, PositionPool& pool, MergeMethod method,
                    const MergeProgress& progress, size_t limit) {
    if (palettes.size() <= limit) return;
    if (method == MergeMethod::Straightforward) {
        merge_straightforward(palettes, pool, progress, limit);
        return;
    }
    IncrementalMerger merger(palettes, pool);
    merger.run(progress, limit);
}

}  // namespace lumora::pictosrc
