#include "ide/editor/line_block.h"

#include <sys/mman.h>

#include <new>

#include "ide/editor/huge_pages.h"
#include "ide/editor/text_line.h"

namespace lumora::editor {

LineBlock::LineBlock(size_t capacity) {
    if (capacity == 0) return;
    const size_t bytes = capacity * sizeof(TextLine);
    void* m = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    advise_huge_pages(m, bytes);
    memory_ = m;
    bytes_ = bytes;
    capacity_ = capacity;
}

LineBlock::~LineBlock() {
    if (memory_) ::munmap(memory_, bytes_);
}

void* LineBlock::slot(size_t i) const {
    return static_cast<TextLine*>(memory_) + i;
}

}  // namespace lumora::editor
