// The viewer-facing side of the .fr decoder: argument conventions, file
// input, allocation of the caller-owned blocks and progress reporting.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <span>

#include "converters/iflmfr/fr_bitmap.h"
#include "converters/iflmfr/iflmfr.h"

namespace {

using lumora::fr::BitmapHeader;

const char* const kPluginTexts[4] = {"00IN", "LMImageResource to DIB filter ver1.00", "*.fr",
                                     "fr file(*.fr)"};

bool names_file(uint32_t flag) {
    return (flag & 7u) == 0;
}

// Reads up to `want` bytes, retrying after signals and short reads. -1 on error.
ssize_t read_fully(int fd, uint8_t* out, size_t want) {
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, out + got, want - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// The resource bytes, from a file (read whole into a malloc'd buffer) or
// borrowed from the caller's memory.
struct Source {
    uint8_t* owned = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
    Source() = default;
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    ~Source() { std::free(owned); }
    std::span<const uint8_t> bytes() const { return {data, size}; }
};

int load_file(const char* path, int32_t offset, Source& src) {
    if (path == nullptr) return IFLMFR_READ_ERROR;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return IFLMFR_READ_ERROR;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return IFLMFR_READ_ERROR;
    }
    if (offset < 0 || st.st_size < offset) {
        ::close(fd);
        return IFLMFR_UNSUPPORTED;
    }
    const auto length = static_cast<size_t>(st.st_size - offset);
    if (::lseek(fd, offset, SEEK_SET) < 0) {
        ::close(fd);
        return IFLMFR_READ_ERROR;
    }
    src.owned = static_cast<uint8_t*>(std::malloc(length ? length : 1));
    if (src.owned == nullptr) {
        ::close(fd);
        return IFLMFR_NO_MEMORY;
    }
    const ssize_t got = read_fully(fd, src.owned, length);
    ::close(fd);
    if (got < 0) return IFLMFR_READ_ERROR;
    // A file that shrank while we read it simply has less data; the
    // completeness check below judges what is there.
    src.data = src.owned;
    src.size = static_cast<size_t>(got);
    return IFLMFR_OK;
}

int load(const char* buf, int32_t len, uint32_t flag, Source& src) {
    if (names_file(flag)) return load_file(buf, len, src);
    if (buf == nullptr || len < 0) return IFLMFR_UNSUPPORTED;
    src.data = reinterpret_cast<const uint8_t*>(buf);
    src.size = static_cast<size_t>(len);
    return IFLMFR_OK;
}

bool report(IflmfrProgress progress, int step, intptr_t data) {
    return progress != nullptr && progress(step, 5, data) != 0;
}

}  // namespace

extern "C" {

int GetPluginInfo(int index, char* buf, int buflen) {
    if (index < 0 || index > 3 || buf == nullptr || buflen <= 0) return 0;
    const char* text = kPluginTexts[index];
    const size_t room = static_cast<size_t>(buflen) - 1;  // keep space for the NUL
    size_t n = std::strlen(text);
    if (n > room) n = room;
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

int IsSupported(const char* /*filename*/, intptr_t dw) {
    if (static_cast<uintptr_t>(dw) > 0xFFFF && dw > 0) {
        // Viewers hand over at least this many bytes of the file's start.
        const auto* head = reinterpret_cast<const uint8_t*>(dw);
        return lumora::fr::parse_bitmap_header({head, IFLMFR_SUPPORTED_BYTES}) ? 1 : 0;
    }
    if (dw < 0) return 0;
    uint8_t head[IFLMFR_SUPPORTED_BYTES] = {};
    if (read_fully(static_cast<int>(dw), head, sizeof head) < 0) return 0;
    return lumora::fr::parse_bitmap_header({head, sizeof head}) ? 1 : 0;
}

int GetPictureInfo(const char* buf, int32_t len, uint32_t flag, struct PictureInfo* info) {
    if (info == nullptr) return IFLMFR_INTERNAL;
    Source src;
    if (const int rc = load(buf, len, flag, src); rc != IFLMFR_OK) return rc;
    const auto h = lumora::fr::parse_complete_bitmap(src.bytes());
    if (!h) return IFLMFR_UNSUPPORTED;
    PictureInfo out{};
    out.width = h->width_pixels();
    out.height = h->height_pixels();
    out.colour_depth = static_cast<int16_t>(h->source_depth());
    std::memcpy(info, &out, sizeof out);
    return IFLMFR_OK;
}

int GetPicture(const char* buf, int32_t len, uint32_t flag, void** info_block, void** pixel_block,
               IflmfrProgress progress, intptr_t data) {
    if (info_block == nullptr || pixel_block == nullptr) return IFLMFR_INTERNAL;
    // Callers may free both handles whatever happens; never leave garbage.
    *info_block = nullptr;
    *pixel_block = nullptr;

    Source src;
    if (const int rc = load(buf, len, flag, src); rc != IFLMFR_OK) return rc;
    const auto h = lumora::fr::parse_complete_bitmap(src.bytes());
    if (!h) return IFLMFR_UNSUPPORTED;

    if (report(progress, 0, data)) return IFLMFR_ABORTED;

    const size_t pixel_bytes = h->pixel_block_bytes();
    void* info_mem = std::malloc(h->info_block_bytes());
    void* pixel_mem = std::malloc(pixel_bytes ? pixel_bytes : 1);
    if (info_mem == nullptr || pixel_mem == nullptr) {
        std::free(info_mem);
        std::free(pixel_mem);
        return IFLMFR_NO_MEMORY;
    }
    *info_block = info_mem;
    *pixel_block = pixel_mem;
    auto* info_bytes = static_cast<uint8_t*>(info_mem);

    if (report(progress, 1, data)) return IFLMFR_ABORTED;
    lumora::fr::write_info_header(*h, info_bytes);
    if (report(progress, 2, data)) return IFLMFR_ABORTED;
    lumora::fr::write_colour_table(*h, src.bytes(), info_bytes + lumora::fr::kInfoHeaderSize);
    if (report(progress, 3, data)) return IFLMFR_ABORTED;
    if (pixel_bytes) lumora::fr::write_pixels(*h, src.bytes(), static_cast<uint8_t*>(pixel_mem));
    if (report(progress, 4, data)) return IFLMFR_ABORTED;
    if (report(progress, 5, data)) return IFLMFR_ABORTED;
    return IFLMFR_OK;
}

int GetPreview(const char*, int32_t, uint32_t, void**, void**, void*, intptr_t) {
    return IFLMFR_NOT_IMPLEMENTED;
}

}  // extern "C"
