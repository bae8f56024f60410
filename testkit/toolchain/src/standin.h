#pragma once
// Helpers shared by the stand-in compiler, linker and SDK tools.
//
// The stand-ins behave like small, honest versions of the real tools: they
// read the files named on their command lines, report problems in the
// message forms the IDE classifies, and write their outputs only when there
// was nothing to complain about. Two environment variables help tests:
//   LUMORA_STANDIN_SLEEP=[tool:]seconds  wait before working (a long run to cancel)
//   LUMORA_STANDIN_LOG=file              append the tool's name and arguments, one per line

#include <optional>
#include <string>
#include <vector>

namespace standin {

// Honours LUMORA_STANDIN_SLEEP and LUMORA_STANDIN_LOG for the tool `name`.
void start(const std::string& name, int argc, char** argv);

std::optional<std::string> read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

// Paths may arrive in the Windows form; the host wants "/".
std::string host_path(std::string path);

// Object files: a small text header, a blank line, then the code bytes.
struct Object {
    std::string source;
    bool defines_main = false;
    std::string code;
};
std::string encode_object(const Object& object);
std::optional<Object> decode_object(const std::string& bytes);

// Executables: "MZ", a line, then the code; the flat image is the code.
constexpr const char* kExeMagic = "MZ\x01LMEXE\n";

}  // namespace standin
