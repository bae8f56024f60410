#pragma once
// Cuts the byte stream of a running tool into output lines.
//
// CR, LF and CR LF end a line; TABs are dropped; a Shift-JIS lead byte takes
// the byte after it along (a CR too), so a double-byte character never ends
// a line. LF always ends one: it is never part of a character.
// The unfinished tail is handed back so the next read can complete it.

#include <functional>
#include <string>
#include <string_view>

namespace lumora::ide {

using LineSink = std::function<void(std::string line)>;

// Splits `text` into lines, handing each completed one to `sink` (empty
// lines too). With `final` false the unfinished last line is returned and
// nothing is emitted for it; with `final` true it is emitted as well (when
// not empty) and the result is empty.
//
// A lead byte (or an incomplete UTF-8 sequence) at the very end of a
// non-final text is kept in the rest, so a character cut between two reads
// is put together again instead of being split.
std::string split_lines(std::string_view text, bool final, const LineSink& sink);

// Keeps the carry-over between reads of one tool run.
class LineSplitter {
  public:
    explicit LineSplitter(LineSink sink) : sink_(std::move(sink)) {}

    // Appends newly read bytes; emits every line they complete.
    void feed(std::string_view bytes);
    // The tool has ended: emits the unfinished last line, if any.
    void finish();
    // Emits `text` as the last lines of this run (used for the cancel line).
    void finish_with(std::string_view text);

    // The unfinished line so far plus bytes held back for the next read.
    std::string carry_over() const { return line_ + pending_; }

  private:
    LineSink sink_;
    std::string line_;     // bytes of the current line, already walked
    std::string pending_;  // a trailing CR or a cut character, not walked yet
};

}  // namespace lumora::ide
