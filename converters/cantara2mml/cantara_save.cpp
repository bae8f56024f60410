#include "converters/cantara2mml/cantara_save.h"

namespace lumora::cantara {

namespace {

class BigEndianReader {
public:
    explicit BigEndianReader(std::span<const uint8_t> data, size_t pos) : data_(data), pos_(pos) {}
    bool has(uint64_t n) const { return pos_ <= data_.size() && n <= data_.size() - pos_; }
    uint16_t u16() {
        const uint16_t v = static_cast<uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }

private:
    std::span<const uint8_t> data_;
    size_t pos_;
};

bool read_part(BigEndianReader& in, std::vector<Event>& events) {
    if (!in.has(4)) return false;
    in.u16();  // not interpreted
    const uint16_t count = in.u16();
    if (!in.has(uint64_t{count} * 8)) return false;
    events.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        Event e;
        e.kind = in.u16();
        e.a = in.u16();
        e.b = in.u16();
        e.c = in.u16();
        events.push_back(e);
    }
    return true;
}

}  // namespace

std::optional<Score> parse_save(std::span<const uint8_t> file, SaveStatus* status) {
    auto fail = [status](SaveStatus why) -> std::optional<Score> {
        if (status) *status = why;
        return std::nullopt;
    };
    if (file.size() <= kMarkOffset || file[kMarkOffset] != '{') return fail(SaveStatus::NotSave);
    BigEndianReader in(file, kMarkOffset + 1);
    Score score;
    if (!in.has(2)) return fail(SaveStatus::Truncated);
    score.tempo = in.u16();
    // Each part is preceded by a word that is not interpreted and its count.
    if (!read_part(in, score.parts[0]) || !read_part(in, score.parts[1])) return fail(SaveStatus::Truncated);
    if (status) *status = SaveStatus::Ok;
    return score;
}

}  // namespace lumora::cantara
