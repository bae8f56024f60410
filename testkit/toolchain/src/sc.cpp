// Stand-in for the C compiler: sc -c [options] source -oOBJECT -I"include folder"
//
// Checks what a homebrew program most often gets wrong before any real
// compiler would: #error and #warning lines, include files that are not
// there, braces that do not pair up. Writes the object only when there was
// no error, and removes a stale one otherwise, so a later link cannot pick
// up old code.

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "standin.h"

namespace {

struct Options {
    std::string source;
    std::string object;
    std::vector<std::string> include_folders;
};

bool is_lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string trim_left(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class Compiler {
  public:
    explicit Compiler(Options options) : o_(std::move(options)) {}

    int run() {
        auto text = standin::read_file(o_.source);
        if (!text) {
            std::printf("Fatal error: unable to open input file '%s'\n", o_.source.c_str());
            return 1;
        }
        std::vector<std::string> lines;
        size_t start = 0;
        while (start <= text->size()) {
            size_t end = text->find('\n', start);
            if (end == std::string::npos) end = text->size();
            std::string line = text->substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            start = end + 1;
        }
        for (size_t i = 0; i < lines.size() && !fatal_; ++i) check_line(lines[i], static_cast<int>(i + 1));
        if (!fatal_ && !open_braces_.empty()) {
            error(static_cast<int>(lines.size()), "'}' expected");
        }
        std::fflush(stdout);
        const std::string object_path = standin::host_path(o_.object);
        if (errors_ > 0) {
            std::remove(object_path.c_str());
            return 1;
        }
        standin::Object object{o_.source, defines_main_, *text};
        if (!standin::write_file(object_path, standin::encode_object(object))) {
            std::printf("Fatal error: unable to create output file '%s'\n", o_.object.c_str());
            return 1;
        }
        return 0;
    }

  private:
    void error(int line, const std::string& text) {
        ++errors_;
        std::printf("%s(%d) : Error: %s\n", o_.source.c_str(), line, text.c_str());
    }
    void warning(int line, const std::string& text) {
        std::printf("%s(%d) : warning 2: %s\n", o_.source.c_str(), line, text.c_str());
    }
    void fatal(const std::string& text) {
        ++errors_;
        fatal_ = true;
        std::printf("Fatal error: %s\n", text.c_str());
    }

    bool include_exists(const std::string& name, bool quoted) {
        const std::string file = standin::host_path(name);
        if (quoted && standin::file_exists(folder_of(standin::host_path(o_.source)) + file)) return true;
        for (const std::string& folder : o_.include_folders) {
            std::string base = standin::host_path(folder);
            if (!base.empty() && base.back() != '/') base += '/';
            if (standin::file_exists(base + file)) return true;
        }
        return false;
    }

    void directive(const std::string& body, int line) {
        std::string rest = trim_left(body.substr(1));
        auto word = [&](const char* w) {
            const std::string s = w;
            return rest.rfind(s, 0) == 0 &&
                   (rest.size() == s.size() || rest[s.size()] == ' ' || rest[s.size()] == '\t');
        };
        if (word("error")) {
            error(line, trim_left(rest.substr(5)));
        } else if (word("warning")) {
            warning(line, trim_left(rest.substr(7)));
        } else if (word("include")) {
            const std::string target = trim_left(rest.substr(7));
            if (target.size() < 2 || (target[0] != '<' && target[0] != '"')) {
                error(line, "'<' or '\"' expected after #include");
                return;
            }
            const char close = target[0] == '<' ? '>' : '"';
            const size_t end = target.find(close, 1);
            if (end == std::string::npos) {
                error(line, std::string("'") + close + "' expected");
                return;
            }
            const std::string name = target.substr(1, end - 1);
            if (!include_exists(name, close == '"')) fatal("unable to open input file '" + name + "'");
        }
    }

    void check_line(const std::string& line, int number) {
        if (!in_comment_ && trim_left(line).rfind('#', 0) == 0) {
            directive(trim_left(line), number);
            return;
        }
        char quote = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const auto b = static_cast<unsigned char>(line[i]);
            if (is_lead(b)) {
                ++i;  // the trail byte may look like '{' or '\\'
                continue;
            }
            const char c = line[i];
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (in_comment_) {
                if (c == '*' && next == '/') {
                    in_comment_ = false;
                    ++i;
                }
                continue;
            }
            if (quote) {
                if (c == '\\')
                    ++i;
                else if (c == quote)
                    quote = 0;
                continue;
            }
            if (c == '/' && next == '/') break;
            if (c == '/' && next == '*') {
                in_comment_ = true;
                ++i;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '{') {
                open_braces_.push_back(number);
            } else if (c == '}') {
                if (open_braces_.empty())
                    error(number, "'}' does not match any '{'");
                else
                    open_braces_.pop_back();
            } else if (open_braces_.empty() && line.compare(i, 4, "main") == 0 &&
                       (i == 0 ||
                        !(std::isalnum(static_cast<unsigned char>(line[i - 1])) || line[i - 1] == '_'))) {
                size_t j = i + 4;
                while (j < line.size() && (line[j] == ' ' || line[j] == '\t')) ++j;
                if (j < line.size() && line[j] == '(') defines_main_ = true;
            }
        }
    }

    Options o_;
    int errors_ = 0;
    bool fatal_ = false;
    bool in_comment_ = false;
    bool defines_main_ = false;
    std::vector<int> open_braces_;
};

}  // namespace

int main(int argc, char** argv) {
    standin::start("sc", argc, argv);
    if (argc < 2 || std::string(argv[1]) != "-c") {
        std::printf("Fatal error: this compiler only compiles (-c) one source to one object\n");
        return 1;
    }
    Options options;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() > 2 && arg.rfind("-o", 0) == 0)
            options.object = arg.substr(2);
        else if (arg.size() > 2 && arg.rfind("-I", 0) == 0)
            options.include_folders.push_back(arg.substr(2));
        else if (!arg.empty() && arg[0] != '-' && options.source.empty())
            options.source = arg;
    }
    if (options.source.empty() || options.object.empty()) {
        std::printf("Fatal error: a source file and -oOBJECT are needed\n");
        return 1;
    }
    return Compiler(std::move(options)).run();
}
