#include "ide/editor/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace lumora::editor {

void advise_huge_pages(void* data, size_t size) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const uintptr_t at = reinterpret_cast<uintptr_t>(data);
    const uintptr_t begin = (at + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (at + size) & ~(kHugePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace lumora::editor
