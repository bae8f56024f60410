#include "converters/cantara2mml/cantara_mml.h"

#include "converters/cantara2mml/cantara_spelling.h"

namespace lumora::cantara {

namespace {

// 480 ticks are a quarter note.
const char* length_text(uint16_t ticks, const std::string& whole_bar) {
    switch (ticks) {
        case 1920: return whole_bar.c_str();
        case 2880: return "1.";
        case 960: return "2";
        case 1440: return "2.";
        case 480: return "4";
        case 720: return "4.";
        case 240: return "8";
        case 360: return "8.";
        case 120: return "16";
        case 180: return "16.";
        case 60: return "32";
        case 320: return "6";
        case 160: return "12";
        default: return nullptr;
    }
}

// Text of a whole-bar (1920-tick) note or rest under a time code.
const char* whole_bar_text(uint16_t time_code) {
    switch (time_code) {
        case 2: return "1";
        case 3: return "2.";
        case 4: return "1";
        case 6: return "2.";
        case 9: return "2r16";
        case 24: return "2";
        case 128: return "1.";
        default: return nullptr;
    }
}

int shift_of_mode(uint16_t mode) { return mode == 2 ? 12 : mode == 3 ? 24 : 0; }

class Writer {
public:
    explicit Writer(MmlResult& result) : result_(result) {}

    void part(int number, const std::vector<Event>& events) {
        out() += '#';
        out() += std::to_string(number);
        out() += "@3v12o4\n";
        octave_ = 4;
        tie_ = 0;
        score_ = SpellingTable();
        bar_ = score_;
        for (size_t i = 0; i < events.size(); ++i) {
            part_ = number + 1;
            index_ = i + 1;
            event(events[i]);
        }
        out() += "\n";
    }

private:
    std::string& out() { return result_.text; }

    void warn(const std::string& what) {
        result_.warnings.push_back("part " + std::to_string(part_) + " event " + std::to_string(index_) + ": " +
                                   what);
    }

    void length(uint16_t ticks) {
        if (const char* text = length_text(ticks, whole_bar_)) {
            out() += text;
        } else {
            warn("length " + std::to_string(ticks) + " is not in the length table; written without a length");
        }
    }

    void event(const Event& e) {
        switch (e.kind) {
            case kOctaveShift:
                if (e.c >= 1 && e.c <= 3)
                    shift_ = shift_of_mode(e.c);
                else
                    warn("octave shift mode " + std::to_string(e.c) + " is unknown; ignored");
                break;
            case kKeySignature:
                score_ = SpellingTable();
                apply_key(score_, e.a);
                bar_ = score_;
                break;
            case kTimeSignature:
                if (const char* text = whole_bar_text(e.a))
                    whole_bar_ = text;
                else
                    warn("time code " + std::to_string(e.a) + " is unknown; ignored");
                break;
            case kNote:
                note(e);
                break;
            case kRest:
                out() += "r";
                length(e.a);
                tie_ = 0;
                break;
            case kAccidental:
                accidental(e);
                break;
            case kBarLine:
                bar_ = score_;
                // A tied note carries the bar onto the same line.
                if (tie_ == 0) out() += "\n";
                break;
            default:
                break;
        }
    }

    void note(const Event& e) {
        if (tie_ == 0) {
            const int value = int{e.b} - shift_;
            const Spelling* s = bar_.find(value);
            if (s) {
                const int mml_octave = s->octave - 1;
                if (mml_octave != octave_) {
                    out() += 'o';
                    out() += std::to_string(mml_octave);
                    octave_ = mml_octave;
                }
                out() += s->text;
            } else {
                // Keep the time the note takes so later bars stay in place.
                warn("pitch " + std::to_string(value) + " is not a note the tables hold; written as a rest");
                out() += "r";
            }
        } else if (tie_ == 1) {
            out() += "^";
        } else {
            out() += "r";
        }
        length(e.a);
        tie_ = (e.c & 4) ? tie_ + 1 : 0;
    }

    void accidental(const Event& e) {
        const int value = int{e.b} - shift_;
        const auto shift = accidental_shift(e.a);
        const auto spelling = shift ? spell(value, *shift) : std::nullopt;
        if (!shift)
            warn("accidental kind " + std::to_string(e.a) + " is unknown; ignored");
        else if (!spelling)
            warn("accidental on pitch " + std::to_string(value) + " that the tables do not hold; ignored");
        else
            bar_.set(value, *spelling);
    }

    MmlResult& result_;
    // Kept from part to part.
    int shift_ = 0;
    std::string whole_bar_ = "1";
    // Reset for each part.
    int octave_ = 4;
    unsigned tie_ = 0;
    SpellingTable score_;
    SpellingTable bar_;
    int part_ = 0;
    size_t index_ = 0;
};

}  // namespace

MmlResult to_mml(const Score& score) {
    MmlResult result;
    result.text = ";MML\nt" + std::to_string(score.tempo) + "\n";
    Writer writer(result);
    writer.part(0, score.parts[0]);
    writer.part(1, score.parts[1]);
    return result;
}

}  // namespace lumora::cantara
