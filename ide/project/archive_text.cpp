#include "ide/project/archive_text.h"

#include "common/cp932.h"

namespace lumora::ide {

namespace {

// The length scheme shared by both text kinds. On the 0xFFFE marker `wide`
// is set and the real length follows by the same scheme.
std::optional<uint32_t> read_length(ByteReader& in, bool& wide) {
    uint8_t b = in.u8();
    if (!in.ok()) return std::nullopt;
    if (b < 0xFF) return b;
    uint16_t w = in.u16();
    if (!in.ok()) return std::nullopt;
    if (w == 0xFFFE && !wide) {
        wide = true;
        return read_length(in, wide);
    }
    if (w < 0xFFFF) return w;
    uint32_t d = in.u32();
    if (!in.ok()) return std::nullopt;
    return d;
}

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

void write_archive_text(ByteWriter& out, const std::string& bytes) {
    const size_t n = bytes.size();
    if (n < 0xFF) {
        out.u8(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        out.u8(0xFF).u16(static_cast<uint16_t>(n));
    } else {
        out.u8(0xFF).u16(0xFFFF).u32(static_cast<uint32_t>(n));
    }
    out.text(bytes);
}

std::optional<std::string> read_archive_text(ByteReader& in) {
    bool wide = false;
    std::optional<uint32_t> length = read_length(in, wide);
    if (!length) return std::nullopt;
    if (!wide) {
        auto bytes = in.take(*length);
        if (!in.ok()) return std::nullopt;
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    // Checked before multiplying so a huge count cannot wrap around.
    if (*length > in.remaining() / 2) {
        in.skip(in.remaining() + 1);  // marks the reader failed
        return std::nullopt;
    }
    std::u16string units;
    units.reserve(*length);
    for (uint32_t i = 0; i < *length; ++i) units.push_back(static_cast<char16_t>(in.u16()));
    if (!in.ok()) return std::nullopt;
    return utf16_to_sjis(units);
}

std::string utf16_to_sjis(const std::u16string& text) {
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = '?';
        }
        append_utf8(utf8, u);
    }
    return cp932::from_utf8(utf8);
}

}  // namespace lumora::ide
