#pragma once
// Room for many text lines made at once (the lines of a file being opened):
// one mapping instead of a heap allocation per line, backed by huge pages
// where the system allows, so a big file's lines cost few page faults.

#include <cstddef>

namespace lumora::editor {

class TextLine;

class LineBlock {
  public:
    explicit LineBlock(size_t capacity);
    ~LineBlock();
    LineBlock(const LineBlock&) = delete;
    LineBlock& operator=(const LineBlock&) = delete;

    size_t capacity() const { return capacity_; }
    // Uninitialised room for line `i` (< capacity()); lines made there are
    // destroyed by their owner before the block goes.
    void* slot(size_t i) const;

  private:
    void* memory_ = nullptr;
    size_t bytes_ = 0;
    size_t capacity_ = 0;
};

}  // namespace lumora::editor
