#pragma once
// Length-prefixed texts as they appear in project files.
//
// Up to 254 bytes: one length byte. Up to 0xFFFD: 0xFF and a 16-bit length.
// Longer: 0xFF, 0xFFFF and a 32-bit length. On reading, 0xFF 0xFFFE announces
// UTF-16 text: the character count follows by the same scheme, then two bytes
// per character; it is converted to Shift-JIS.

#include <optional>
#include <string>

#include "common/le_bytes.h"

namespace lumora::ide {

void write_archive_text(ByteWriter& out, const std::string& bytes);
// nullopt (and a failed reader) when the text runs past the end.
std::optional<std::string> read_archive_text(ByteReader& in);

// UTF-16LE code units to Shift-JIS; unpaired surrogates and characters code
// page 932 cannot hold become "?".
std::string utf16_to_sjis(const std::u16string& text);

}  // namespace lumora::ide
