#pragma once
// Merging palettes until at most a given number remain.
//
// Each step merges the pair (A, B), A before B, with the smallest cost (the
// summed distance from each colour of B to its nearest colour of A); of equal
// costs the first pair in list order wins. The incremental method keeps the
// costs of pairs that did not change and the best partner of every palette,
// so a step costs about one row of the table instead of all of it; the
// straightforward method recomputes every pair at every step and is kept as
// the reference the fast one must match.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "converters/pictosrc/pictosrc_colors.h"

namespace lumora::pictosrc {

enum class MergeMethod { Incremental, Straightforward };

// cost(A, B): for every colour of B the distance to the nearest colour of A.
uint32_t merge_cost(const ColorSet& a, const ColorSet& b);

// Merges B into A: positions of colours A already has join that entry, other
// colours are appended; then A is reduced to 15 colours.
void merge_into(ColorSet& a, ColorSet& b, PositionPool& pool);

// Called before every step with the palette count at that moment.
using MergeProgress = std::function<void(size_t count)>;

// Merges until `palettes` holds at most `limit` entries. List order is kept.
void merge_palettes(std::vector<ColorSet>& palettes, PositionPool& pool, MergeMethod method,
                    const MergeProgress& progress = {}, size_t limit = 16);

}  // namespace lumora::pictosrc
