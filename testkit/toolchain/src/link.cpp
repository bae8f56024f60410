// Stand-in for the linker:
//   link [/OPTIONS] startup objects..., exe, map, libraries...
// Reads every object and library, checks that exactly one object defines
// main, and writes the executable (and the map file with /MAP). Problems are
// reported as "LINKER : Error n: ..." lines; nothing is written then.

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "standin.h"

namespace {

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) out.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) out.push_back(word);
    return out;
}

// Linker switches are "/" and letters (with an optional ":value"); a host
// path also begins with "/" but holds a further "/" or a dot.
bool is_switch(const std::string& word) {
    if (word.size() < 2 || word[0] != '/') return false;
    const std::string name =
        word.substr(1, word.find(':') == std::string::npos ? std::string::npos : word.find(':') - 1);
    for (char c : name)
        if (!std::isalpha(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string with_extension(std::string path, const std::string& extension) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += extension;
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    standin::start("link", argc, argv);
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    fields.resize(4);

    bool want_map = false;
    std::vector<std::string> objects;
    for (const std::string& w : words(fields[0])) {
        if (is_switch(w))
            want_map = want_map || w == "/MAP" || w == "/map" || w == "/DETAILEDMAP";
        else
            objects.push_back(w);
    }
    const std::vector<std::string> exe_words = words(fields[1]);
    const std::vector<std::string> map_words = words(fields[2]);
    const std::vector<std::string> libraries = words(fields[3]);
    if (objects.empty() || exe_words.size() != 1) {
        std::printf("LINKER : Error 1: Object and executable names are needed\n");
        return 1;
    }

    int errors = 0;
    int mains = 0;
    std::string code;
    std::string map = "Objects:\n";
    for (const std::string& name : objects) {
        auto bytes = standin::read_file(standin::host_path(name));
        if (!bytes) {
            std::printf("LINKER : Error 2: File Not Found %s\n", name.c_str());
            ++errors;
            continue;
        }
        auto object = standin::decode_object(*bytes);
        if (!object) {
            std::printf("LINKER : Error 3: Bad Object %s\n", name.c_str());
            ++errors;
            continue;
        }
        if (object->defines_main) ++mains;
        code += object->code;
        map += "  " + name + " " + std::to_string(object->code.size()) + "\n";
    }
    for (const std::string& name : libraries) {
        auto bytes = standin::read_file(standin::host_path(name));
        if (!bytes) {
            std::printf("LINKER : Error 2: File Not Found %s\n", name.c_str());
            ++errors;
            continue;
        }
        if (bytes->rfind("LMLIB\n", 0) != 0) {
            std::printf("LINKER : Error 43: Not a Valid Library File %s\n", name.c_str());
            ++errors;
            continue;
        }
        code += bytes->substr(6);
        map += "  " + name + " (library)\n";
    }
    if (errors == 0 && mains == 0) {
        std::printf("LINKER : Error 42: Symbol Undefined _main\n");
        ++errors;
    } else if (mains > 1) {
        std::printf("LINKER : Error 1: Previous Definition Different : _main\n");
        ++errors;
    }
    std::fflush(stdout);
    if (errors) return 1;

    const std::string exe = standin::host_path(with_extension(exe_words[0], ".exe"));
    if (!standin::write_file(exe, std::string(standin::kExeMagic) + code)) {
        std::printf("LINKER : Error 6: Cannot Create File %s\n", exe.c_str());
        return 1;
    }
    if (want_map && !map_words.empty()) {
        standin::write_file(standin::host_path(with_extension(map_words[0], ".map")), map);
    }
    return 0;
}
