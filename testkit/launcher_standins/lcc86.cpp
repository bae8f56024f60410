// Stand-in for the LSI C compiler: lcc86 -o OUTPUT.bin SOURCE.c
// Compiles nothing, but checks what a beginner's first program gets wrong
// and answers as the launcher expects: every message begins with the source
// path as given (the full project folder), and the program is written only
// when there was no error. Warnings do not stop it.
//   #error TEXT     SOURCE(LINE) : error: TEXT
//   #warning TEXT   SOURCE(LINE) : warning: TEXT
//   braces that do not pair up, or no main(): an error

#include <cstdio>
#include <string>

#include "standin.h"

namespace {

bool starts_with(const std::string& text, const std::string& word) {
    return text.rfind(word, 0) == 0;
}

std::string trimmed(const std::string& line) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    size_t end = line.find_last_not_of(" \t\r");
    return line.substr(start, end - start + 1);
}

}  // namespace

int main(int argc, char** argv) {
    standin::start("lcc86", argc, argv);
    std::string output, source;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (!starts_with(arg, "-")) {
            source = arg;
        }
    }
    if (output.empty() || source.empty()) {
        std::printf("usage: lcc86 -o output.bin source.c\n");
        return 1;
    }
    auto text = standin::read_file(standin::host_path(source));
    if (!text) {
        std::printf("%s : fatal: cannot open source file\n", source.c_str());
        return 1;
    }
    std::remove(standin::host_path(output).c_str());

    int errors = 0, depth = 0, line_number = 0;
    bool has_main = false;
    size_t start = 0;
    while (start < text->size()) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        const std::string line = trimmed(text->substr(start, end - start));
        start = end + 1;
        ++line_number;
        if (starts_with(line, "#error")) {
            std::printf("%s(%d) : error: %s\n", source.c_str(), line_number, trimmed(line.substr(6)).c_str());
            ++errors;
        } else if (starts_with(line, "#warning")) {
            std::printf("%s(%d) : warning: %s\n", source.c_str(), line_number,
                        trimmed(line.substr(8)).c_str());
        }
        if (line.find("main(") != std::string::npos) has_main = true;
        for (char c : line) {
            if (c == '{') ++depth;
            if (c == '}' && --depth < 0) {
                std::printf("%s(%d) : error: '}' without '{'\n", source.c_str(), line_number);
                ++errors;
                depth = 0;
            }
        }
    }
    if (depth > 0) {
        std::printf("%s(%d) : error: '{' not closed\n", source.c_str(), line_number);
        ++errors;
    }
    if (!has_main) {
        std::printf("%s(%d) : error: no main()\n", source.c_str(), line_number);
        ++errors;
    }
    if (errors > 0) return 1;
    // The "program": a marker and the source, enough for the packer and the console.
    if (!standin::write_file(standin::host_path(output), "LCC86BIN\n" + *text)) {
        std::printf("%s : fatal: cannot write\n", output.c_str());
        return 1;
    }
    return 0;
}
