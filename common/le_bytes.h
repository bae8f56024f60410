#pragma once
// Little-endian reading and writing that can never run past a buffer.
//
// ByteReader keeps a sticky failure flag: a read that would cross the end
// returns zero (or copies nothing) and makes ok() false for good, so a parser
// can read a whole record and check once at the end.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace lumora {

inline uint16_t load_u16le(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t load_u32le(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int16_t load_s16le(const uint8_t* p) {
    return static_cast<int16_t>(load_u16le(p));
}
inline int32_t load_s32le(const uint8_t* p) {
    return static_cast<int32_t>(load_u32le(p));
}

inline void store_u16le(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void store_u32le(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

class ByteReader {
  public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

    size_t size() const { return size_; }
    size_t position() const { return pos_; }
    size_t remaining() const { return size_ - pos_; }
    bool at_end() const { return pos_ >= size_; }
    // False once any read, skip or seek asked for more than the buffer holds.
    bool ok() const { return ok_; }

    bool has(size_t n) const { return n <= remaining(); }
    bool seek(size_t pos) {
        if (pos > size_) return fail();
        pos_ = pos;
        return true;
    }
    bool skip(size_t n) {
        if (!has(n)) return fail();
        pos_ += n;
        return true;
    }

    uint8_t u8() { return has(1) ? data_[pos_++] : (fail(), 0); }
    uint16_t u16() { return take_fixed<uint16_t>(2, load_u16le); }
    uint32_t u32() { return take_fixed<uint32_t>(4, load_u32le); }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }

    // Copies n bytes; on a short buffer copies nothing, zero-fills `out` and fails.
    bool bytes(void* out, size_t n) {
        if (!has(n)) {
            if (n) std::memset(out, 0, n);
            return fail();
        }
        if (n) std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // A view of the next n bytes (empty and failed when they are not there).
    std::span<const uint8_t> take(size_t n) {
        if (!has(n)) return fail(), std::span<const uint8_t>{};
        std::span<const uint8_t> view(data_ + pos_, n);
        pos_ += n;
        return view;
    }

  private:
    template <typename T, typename Load>
    T take_fixed(size_t n, Load load) {
        if (!has(n)) return fail(), T{0};
        T v = load(data_ + pos_);
        pos_ += n;
        return v;
    }
    bool fail() {
        ok_ = false;
        return false;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Appends little-endian values to a growing byte vector.
class ByteWriter {
  public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(&out) {}
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    std::vector<uint8_t>& buffer() { return *out_; }
    const std::vector<uint8_t>& buffer() const { return *out_; }
    size_t size() const { return out_->size(); }

    ByteWriter& u8(uint8_t v) {
        out_->push_back(v);
        return *this;
    }
    ByteWriter& u16(uint16_t v) {
        uint8_t b[2];
        store_u16le(b, v);
        return raw(b, 2);
    }
    ByteWriter& u32(uint32_t v) {
        uint8_t b[4];
        store_u32le(b, v);
        return raw(b, 4);
    }
    ByteWriter& s16(int16_t v) { return u16(static_cast<uint16_t>(v)); }
    ByteWriter& s32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    ByteWriter& raw(const void* data, size_t n) {
        // Grown, then copied: GCC 12 at -O3 misreads vector::insert of a few
        // bytes after a push_back as an overflow (-Wstringop-overflow).
        if (n == 0) return *this;
        const size_t at = out_->size();
        out_->resize(at + n);
        std::memcpy(out_->data() + at, data, n);
        return *this;
    }
    ByteWriter& raw(std::span<const uint8_t> bytes) { return raw(bytes.data(), bytes.size()); }
    ByteWriter& text(const std::string& s) { return raw(s.data(), s.size()); }
    ByteWriter& fill(size_t n, uint8_t value) {
        out_->insert(out_->end(), n, value);
        return *this;
    }
    // Overwrites a value already written; false when it would not fit.
    bool patch_u32(size_t pos, uint32_t v) {
        if (pos > out_->size() || out_->size() - pos < 4) return false;
        store_u32le(out_->data() + pos, v);
        return true;
    }

  private:
    std::vector<uint8_t> own_;
    std::vector<uint8_t>* out_ = &own_;
};

}  // namespace lumora
