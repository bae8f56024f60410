#include "standin.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace standin {

void start(const std::string& name, int argc, char** argv) {
    if (const char* log = std::getenv("LUMORA_STANDIN_LOG"); log && *log) {
        std::ofstream out(log, std::ios::app | std::ios::binary);
        out << name;
        for (int i = 1; i < argc; ++i) out << '\t' << argv[i];
        out << '\n';
    }
    if (const char* sleep_setting = std::getenv("LUMORA_STANDIN_SLEEP"); sleep_setting && *sleep_setting) {
        std::string setting = sleep_setting;
        const size_t colon = setting.find(':');
        if (colon != std::string::npos) {
            if (setting.substr(0, colon) != name) return;
            setting = setting.substr(colon + 1);
        }
        const double seconds = std::atof(setting.c_str());
        if (seconds > 0) ::usleep(static_cast<useconds_t>(seconds * 1e6));
    }
}

std::optional<std::string> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool file_exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string host_path(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string encode_object(const Object& object) {
    return "LMOBJ\nsource=" + object.source + "\nmain=" + (object.defines_main ? "1" : "0") + "\n\n" +
           object.code;
}

std::optional<Object> decode_object(const std::string& bytes) {
    if (bytes.rfind("LMOBJ\n", 0) != 0) return std::nullopt;
    const size_t end = bytes.find("\n\n");
    if (end == std::string::npos) return std::nullopt;
    Object object;
    std::istringstream header(bytes.substr(6, end - 6));
    std::string line;
    while (std::getline(header, line)) {
        if (line.rfind("source=", 0) == 0) object.source = line.substr(7);
        if (line == "main=1") object.defines_main = true;
    }
    object.code = bytes.substr(end + 2);
    return object;
}

}  // namespace standin
