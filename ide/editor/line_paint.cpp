#include "ide/editor/line_paint.h"

#include <algorithm>

#include "common/sjis.h"

namespace lumora::editor {

int paint_segments(const std::string& text, const std::vector<ColourRun>& runs, int tab_length,
                   std::vector<PaintSegment>& out) {
    out.clear();
    const int tab = tab_length > 0 ? tab_length : 1;
    int column = 0;
    const int size = static_cast<int>(text.size());
    for (const ColourRun& run : runs) {
        PaintSegment seg;
        seg.column = column;
        seg.colour = run.colour;
        const int end = std::min(run.start + run.length, size);
        int i = run.start;
        while (i < end) {
            const uint8_t b = static_cast<uint8_t>(text[static_cast<size_t>(i)]);
            if (b == '\t') {
                const int next = (column / tab + 1) * tab;
                seg.text.append(static_cast<size_t>(next - column), ' ');
                column = next;
                ++i;
                continue;
            }
            const int len = static_cast<int>(sjis::char_length(text, static_cast<size_t>(i)));
            // A run never cuts a double-byte character, but a malformed one
            // must not make us read past it.
            const int take = i + len <= end ? len : 1;
            seg.text.append(text, static_cast<size_t>(i), static_cast<size_t>(take));
            column += take == 2 ? 2 : 1;
            i += take;
        }
        if (!seg.text.empty()) out.push_back(std::move(seg));
    }
    return column;
}

}  // namespace lumora::editor
