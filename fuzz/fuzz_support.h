#pragma once
// Small helpers shared by the fuzz targets.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::fuzz {

// Takes leading bytes off an input to choose options, leaving the rest as
// the data proper. Running out gives zeros, never an error.
class InputSplitter {
  public:
    InputSplitter(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t take_byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    uint16_t take_u16() { return static_cast<uint16_t>(take_byte() | take_byte() << 8); }
    std::span<const uint8_t> take(size_t n) {
        if (n > size_) n = size_;
        std::span<const uint8_t> out(data_, n);
        data_ += n;
        size_ -= n;
        return out;
    }
    std::span<const uint8_t> rest() const { return {data_, size_}; }
    std::string_view rest_text() const { return {reinterpret_cast<const char*>(data_), size_}; }

  private:
    const uint8_t* data_;
    size_t size_;
};

// A scratch folder for targets whose parser takes a file name; made once per
// process and removed with the files in it at exit. In memory when the host
// has a tmpfs at /dev/shm: a file per run on a busy disk costs more than the
// parsing.
class ScratchFolder {
  public:
    ScratchFolder() {
        char in_memory[] = "/dev/shm/lumora-fuzz-XXXXXX";
        char on_disk[] = "/tmp/lumora-fuzz-XXXXXX";
        if (mkdtemp(in_memory)) {
            path_ = in_memory;
        } else if (mkdtemp(on_disk)) {
            path_ = on_disk;
        } else {
            std::abort();
        }
    }
    ~ScratchFolder() {
        for (const std::string& file : files_) ::unlink(file.c_str());
        ::rmdir(path_.c_str());
    }
    // The path of `name` inside the folder, remembered for removal.
    std::string file(const std::string& name) {
        std::string path = path_ + "/" + name;
        for (const std::string& known : files_)
            if (known == path) return path;
        files_.push_back(path);
        return path;
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::vector<std::string> files_;
};

inline ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

// Writes `bytes` to `path`; false when that fails.
inline bool write_file(const std::string& path, std::span<const uint8_t> bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // An empty span may have no data pointer, which fwrite must not get.
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace lumora::fuzz
