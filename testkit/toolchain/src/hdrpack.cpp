// Stand-in for the SDK's packer: hdrpack DESCRIPTION.cf
// Reads the description file the IDE writes ("name:", "info:", "mode:",
// "source:", "output:" and an optional "resource:" line) and writes the file
// entry: the 128-byte header, then the flat image and the linked resource.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include "devlink/file_entry.h"
#include "standin.h"

namespace {

std::map<std::string, std::string> parse(const std::string& text) {
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "name: x" as the IDE writes it, "name:x" as the launcher's template has it.
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            const size_t value = line.find_first_not_of(' ', colon + 1);
            fields[line.substr(0, colon)] = value == std::string::npos ? std::string() : line.substr(value);
        }
        start = end + 1;
    }
    return fields;
}

}  // namespace

int main(int argc, char** argv) {
    standin::start("hdrpack", argc, argv);
    if (argc != 2) {
        std::printf("usage: hdrpack description.cf\n");
        return 1;
    }
    auto text = standin::read_file(standin::host_path(argv[1]));
    if (!text) {
        std::printf("hdrpack: cannot open %s\n", argv[1]);
        return 1;
    }
    auto fields = parse(*text);
    for (const char* key : {"name", "source", "output"}) {
        if (fields.find(key) == fields.end()) {
            std::printf("hdrpack: %s: no \"%s:\" line\n", argv[1], key);
            return 1;
        }
    }
    auto body = standin::read_file(standin::host_path(fields["source"]));
    if (!body) {
        std::printf("hdrpack: cannot open %s\n", fields["source"].c_str());
        return 1;
    }
    int32_t resource = lumora::devlink::kNoResource;
    if (auto it = fields.find("resource"); it != fields.end() && !it->second.empty()) {
        auto data = standin::read_file(standin::host_path(it->second));
        if (!data) {
            std::printf("hdrpack: cannot open %s\n", it->second.c_str());
            return 1;
        }
        resource = static_cast<int32_t>(body->size());
        *body += *data;
    }
    if (body->size() > 0x7FFFFFFF - 127) {
        std::printf("hdrpack: %s is too large\n", fields["source"].c_str());
        return 1;
    }

    lumora::devlink::DirectoryEntry entry;
    entry.set_name(fields["name"]);
    entry.set_info(fields["info"]);
    entry.set_size(static_cast<int32_t>(body->size()));
    entry.set_blocks(static_cast<int16_t>((body->size() + 127) / 128));
    const auto mode = fields.count("mode") ? std::strtoul(fields["mode"].c_str(), nullptr, 10) : 7ul;
    entry.set_mode(static_cast<uint16_t>(mode));
    entry.set_date(lumora::devlink::pack_date(lumora::devlink::local_calendar_time(std::time(nullptr)),
                                              lumora::devlink::EntryFlavor::Ide));
    entry.set_resource(resource);

    std::vector<uint8_t> header = lumora::devlink::build_header(entry);
    std::string out(header.begin(), header.end());
    out += *body;
    if (!standin::write_file(standin::host_path(fields["output"]), out)) {
        std::printf("hdrpack: cannot write %s\n", fields["output"].c_str());
        return 1;
    }
    std::printf("hdrpack: %s (%zu bytes)\n", fields["output"].c_str(), out.size());
    return 0;
}
