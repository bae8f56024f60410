#pragma once
// Big buffers (a file's bytes, its lines) filled at once cost a page fault
// per 4 KiB page; backed by 2 MiB pages they cost a few hundred times fewer.

#include <cstddef>

namespace lumora::editor {

// Advises the kernel to back the whole 2 MiB pages inside [data, data+size)
// with huge pages; only advice, nothing happens where the system declines.
// Best given before the memory is first written.
void advise_huge_pages(void* data, size_t size);

}  // namespace lumora::editor
