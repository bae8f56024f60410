#pragma once
// frconv: a .fr bitmap resource to PNG or BMP.

#include <string>

namespace lumora::fr {

// The output name frconv uses when none is given: the input with ".png".
std::string default_output_name(const std::string& input);

// Converts `input` to `output` (format from its extension, .png or .bmp).
// False with a one-line message in `error` on failure.
bool convert_file(const std::string& input, const std::string& output, std::string& error);

}  // namespace lumora::fr
