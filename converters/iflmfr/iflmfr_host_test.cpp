// A small viewer host: loads iflmfr.spi with dlopen and drives its exports
// the way an image viewer does.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "converters/iflmfr/fr_test_data.h"
#include "converters/iflmfr/iflmfr.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

static_assert(sizeof(PictureInfo) == 26, "packed picture information record");

const char* const kSpiPath = LUMORA_LIB_DIR "/iflmfr.spi";
constexpr uint32_t kMemory = 1;  // any of bits 0-2 selects memory input
constexpr uint32_t kFile = 0;

struct Spi {
    void* handle = nullptr;
    decltype(&GetPluginInfo) plugin_info = nullptr;
    decltype(&IsSupported) is_supported = nullptr;
    decltype(&GetPictureInfo) picture_info = nullptr;
    decltype(&GetPicture) picture = nullptr;
    decltype(&GetPreview) preview = nullptr;

    Spi() {
        handle = dlopen(kSpiPath, RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        plugin_info = reinterpret_cast<decltype(plugin_info)>(dlsym(handle, "GetPluginInfo"));
        is_supported = reinterpret_cast<decltype(is_supported)>(dlsym(handle, "IsSupported"));
        picture_info = reinterpret_cast<decltype(picture_info)>(dlsym(handle, "GetPictureInfo"));
        picture = reinterpret_cast<decltype(picture)>(dlsym(handle, "GetPicture"));
        preview = reinterpret_cast<decltype(preview)>(dlsym(handle, "GetPreview"));
    }
    ~Spi() {
        if (handle) dlclose(handle);
    }
    bool complete() const { return plugin_info && is_supported && picture_info && picture && preview; }
};

class SpiHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(spi.handle, nullptr) << dlerror();
        ASSERT_TRUE(spi.complete());
        dir = fs::temp_directory_path() / ("iflmfr_host_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write_file(const std::string& name, const Bytes& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    struct Picture {
        int rc = 8;
        Bytes info, pixels;
    };
    // Decodes and copies both blocks out, then frees them as a host does.
    Picture get(const char* src, int32_t len, uint32_t flag, size_t pixel_bytes) {
        Picture p;
        void* info = reinterpret_cast<void*>(1);
        void* pixels = reinterpret_cast<void*>(1);
        p.rc = spi.picture(src, len, flag, &info, &pixels, nullptr, 0);
        if (p.rc == 0) {
            const auto* ib = static_cast<const uint8_t*>(info);
            uint32_t header_size = 0;
            std::memcpy(&header_size, ib, 4);
            uint16_t bpp = 0;
            std::memcpy(&bpp, ib + 14, 2);
            p.info.assign(ib, ib + 40 + (bpp == 1 ? 8 : 64));
            p.pixels.assign(static_cast<const uint8_t*>(pixels),
                            static_cast<const uint8_t*>(pixels) + pixel_bytes);
        }
        std::free(info == reinterpret_cast<void*>(1) ? nullptr : info);
        std::free(pixels == reinterpret_cast<void*>(1) ? nullptr : pixels);
        return p;
    }

    Spi spi;
    fs::path dir;
};

frtest::Resource resource(uint8_t mode, uint8_t w, uint8_t h) {
    frtest::Resource r;
    r.mode = mode;
    r.width = w;
    r.height = h;
    r.shades = {0, 60, 120, 255};
    for (int i = 0; i < 16; ++i) r.colours[i] = static_cast<uint16_t>(0x0111 * i ^ 0x0F00);
    return r;
}

TEST(SpiSymbols, OnlyTheFiveExportsAreVisible) {
    const std::string cmd = std::string("nm -D --defined-only ") + kSpiPath + " 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> functions;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char addr[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", addr, type, name) == 3 && std::strcmp(type, "T") == 0)
            functions.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(functions, (std::set<std::string>{"GetPicture", "GetPictureInfo", "GetPluginInfo", "GetPreview",
                                                "IsSupported"}));
}

TEST_F(SpiHost, PluginInfoTextsAndBufferRules) {
    const char* texts[] = {"00IN", "LMImageResource to DIB filter ver1.00", "*.fr", "fr file(*.fr)"};
    for (int i = 0; i < 4; ++i) {
        char buf[64];
        std::memset(buf, 'X', sizeof buf);
        EXPECT_EQ(spi.plugin_info(i, buf, sizeof buf), static_cast<int>(std::strlen(texts[i])));
        EXPECT_STREQ(buf, texts[i]);
    }
    char small[8];
    std::memset(small, 'X', sizeof small);
    EXPECT_EQ(spi.plugin_info(1, small, 5), 4);  // never beyond the stated length
    EXPECT_EQ(std::string(small, 5), std::string("LMIm\0", 5));
    EXPECT_EQ(small[5], 'X');
    for (int index : {4, -1, 1000}) {
        char buf[16];
        std::memset(buf, 'X', sizeof buf);
        EXPECT_EQ(spi.plugin_info(index, buf, sizeof buf), 0);
        EXPECT_EQ(std::string(buf, sizeof buf), std::string(16, 'X'));
    }
    EXPECT_EQ(spi.plugin_info(0, nullptr, 10), 0);
    EXPECT_EQ(spi.preview(nullptr, 0, 0, nullptr, nullptr, nullptr, 0), -1);
}

TEST_F(SpiHost, IsSupportedFromMemoryAndFromDescriptor) {
    Bytes good = frtest::build(resource(0, 3, 3));
    Bytes head = good;
    head.resize(IFLMFR_SUPPORTED_BYTES, 0);
    EXPECT_EQ(spi.is_supported("x.fr", reinterpret_cast<intptr_t>(head.data())), 1);
    Bytes bad = head;
    bad[10] = 3;  // unknown pixel mode
    EXPECT_EQ(spi.is_supported("x.fr", reinterpret_cast<intptr_t>(bad.data())), 0);
    Bytes bad_len = head;
    bad_len[4] = 5;  // 3x3 1-bit needs 6 paragraphs
    EXPECT_EQ(spi.is_supported("x.fr", reinterpret_cast<intptr_t>(bad_len.data())), 0);

    // Descriptor form: read from the current position; a file shorter than
    // 2000 bytes is fine.
    Bytes framed = {'j', 'u', 'n', 'k'};
    framed.insert(framed.end(), good.begin(), good.end());
    const std::string path = write_file("framed.bin", framed);
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(spi.is_supported(nullptr, fd), 0);  // starts with "junk"
    ASSERT_EQ(lseek(fd, 4, SEEK_SET), 4);
    EXPECT_EQ(spi.is_supported(nullptr, fd), 1);
    close(fd);
    EXPECT_EQ(spi.is_supported(nullptr, fd), 0);  // closed: the read fails
    const int dirfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_EQ(spi.is_supported(nullptr, dirfd), 0);
    close(dirfd);
}

TEST_F(SpiHost, PictureInfoRecordFromMemoryAndFileWithOffset) {
    const Bytes two_bit = frtest::build(resource(2, 5, 3));
    PictureInfo info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(spi.picture_info(reinterpret_cast<const char*>(two_bit.data()),
                               static_cast<int32_t>(two_bit.size()), kMemory, &info),
              0);
    uint8_t want[26] = {0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&info, want, 26), 0);

    Bytes framed(100, 0x77);
    const Bytes one_bit = frtest::build(resource(0, 3, 3));
    framed.insert(framed.end(), one_bit.begin(), one_bit.end());
    const std::string path = write_file("offset.bin", framed);
    ASSERT_EQ(spi.picture_info(path.c_str(), 100, kFile, &info), 0);
    EXPECT_EQ(info.width, 24);
    EXPECT_EQ(info.height, 24);
    EXPECT_EQ(info.colour_depth, 1);
    EXPECT_EQ(spi.picture_info(path.c_str(), 0, kFile, &info), 2);  // offset misses the resource
    const Bytes four_bit = frtest::build(resource(7, 2, 1));
    ASSERT_EQ(spi.picture_info(reinterpret_cast<const char*>(four_bit.data()),
                               static_cast<int32_t>(four_bit.size()), 4, &info),
              0);
    EXPECT_EQ(info.colour_depth, 4);
}

TEST_F(SpiHost, ResultCodesForBadInput) {
    PictureInfo info{};
    void *a = nullptr, *b = nullptr;
    const std::string missing = (dir / "missing.fr").string();
    EXPECT_EQ(spi.picture_info(missing.c_str(), 0, kFile, &info), 6);
    EXPECT_EQ(spi.picture(missing.c_str(), 0, kFile, &a, &b, nullptr, 0), 6);
    EXPECT_EQ(spi.picture_info(dir.c_str(), 0, kFile, &info), 6);  // a folder cannot be read

    const Bytes good = frtest::build(resource(0, 1, 1));
    const std::string path = write_file("good.fr", good);
    EXPECT_EQ(spi.picture_info(path.c_str(), static_cast<int32_t>(good.size()) + 1, kFile, &info), 2);
    EXPECT_EQ(spi.picture(path.c_str(), 5000, kFile, &a, &b, nullptr, 0), 2);
    EXPECT_EQ(spi.picture_info(path.c_str(), -1, kFile, &info), 2);

    for (uint8_t mode : {3, 8}) {
        Bytes bytes = frtest::build(resource(4, 1, 1));
        bytes[10] = mode;
        const auto* src = reinterpret_cast<const char*>(bytes.data());
        EXPECT_EQ(spi.picture_info(src, static_cast<int32_t>(bytes.size()), kMemory, &info), 2);
        EXPECT_EQ(spi.picture(src, static_cast<int32_t>(bytes.size()), kMemory, &a, &b, nullptr, 0), 2);
        EXPECT_EQ(a, nullptr);
        EXPECT_EQ(b, nullptr);
    }
    // Data shorter than the header implies.
    EXPECT_EQ(spi.picture(reinterpret_cast<const char*>(good.data()), static_cast<int32_t>(good.size()) - 1,
                          kMemory, &a, &b, nullptr, 0),
              2);
    EXPECT_EQ(spi.picture_info(reinterpret_cast<const char*>(good.data()), static_cast<int32_t>(good.size()),
                               kMemory, nullptr),
              8);
    EXPECT_EQ(spi.picture(reinterpret_cast<const char*>(good.data()), static_cast<int32_t>(good.size()),
                          kMemory, nullptr, &b, nullptr, 0),
              8);
}

TEST_F(SpiHost, WholeBitmapsForEveryModeFromMemoryAndFile) {
    for (uint8_t mode : {0, 1, 2, 4, 5, 6, 7}) {
        for (auto [w, h] : {std::pair{1, 1}, {3, 3}, {5, 2}, {6, 1}}) {
            const auto r = resource(mode, static_cast<uint8_t>(w), static_cast<uint8_t>(h));
            const Bytes bytes = frtest::build(r);
            const Bytes want_info = frtest::expected_info(r);
            const Bytes want_pixels = frtest::expected_pixels(r);
            const auto mem = get(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<int32_t>(bytes.size()), kMemory, want_pixels.size());
            ASSERT_EQ(mem.rc, 0) << int(mode) << ' ' << w << 'x' << h;
            EXPECT_EQ(mem.info, want_info) << int(mode) << ' ' << w << 'x' << h;
            EXPECT_EQ(mem.pixels, want_pixels) << int(mode) << ' ' << w << 'x' << h;

            Bytes framed(37, 0);
            framed.insert(framed.end(), bytes.begin(), bytes.end());
            const std::string path = write_file("m.fr", framed);
            const auto file = get(path.c_str(), 37, kFile, want_pixels.size());
            ASSERT_EQ(file.rc, 0);
            EXPECT_EQ(file.info, want_info);
            EXPECT_EQ(file.pixels, want_pixels);
        }
    }
}

struct Recorder {
    std::vector<int> steps;
    int abort_at = -1;
    bool bad_total = false;
};
int record(int step, int total, intptr_t data) {
    auto* rec = reinterpret_cast<Recorder*>(data);
    rec->steps.push_back(step);
    if (total != 5) rec->bad_total = true;
    return step == rec->abort_at ? 1 : 0;
}

TEST_F(SpiHost, ProgressStepsInOrderAndAbortAtEachStep) {
    const Bytes bytes = frtest::build(resource(4, 2, 2));
    const auto* src = reinterpret_cast<const char*>(bytes.data());
    const auto len = static_cast<int32_t>(bytes.size());

    Recorder all;
    void *info = nullptr, *pixels = nullptr;
    ASSERT_EQ(spi.picture(src, len, kMemory, &info, &pixels, record, reinterpret_cast<intptr_t>(&all)), 0);
    EXPECT_EQ(all.steps, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(all.bad_total);
    std::free(info);
    std::free(pixels);

    for (int abort_at = 0; abort_at <= 5; ++abort_at) {
        Recorder rec;
        rec.abort_at = abort_at;
        info = pixels = reinterpret_cast<void*>(1);
        EXPECT_EQ(spi.picture(src, len, kMemory, &info, &pixels, record, reinterpret_cast<intptr_t>(&rec)),
                  1);
        std::vector<int> want;
        for (int s = 0; s <= abort_at; ++s) want.push_back(s);
        EXPECT_EQ(rec.steps, want);
        if (abort_at == 0) {  // nothing allocated yet
            EXPECT_EQ(info, nullptr);
            EXPECT_EQ(pixels, nullptr);
        } else {  // the blocks are the host's; the leak checker sees if they are not freed
            EXPECT_NE(info, nullptr);
            EXPECT_NE(pixels, nullptr);
        }
        std::free(info);
        std::free(pixels);
    }
}

TEST_F(SpiHost, DamagedResourcesThroughEveryExport) {
    std::mt19937 rng(77);
    for (uint8_t mode : {0, 2, 6, 7}) {
        const Bytes full = frtest::build(resource(mode, 3, 2));
        for (int round = 0; round < 150; ++round) {
            Bytes bytes = full;
            bytes[rng() % 16] = static_cast<uint8_t>(rng());
            if (round % 2) bytes.resize(rng() % (bytes.size() + 1));
            bytes.shrink_to_fit();
            const auto* src = reinterpret_cast<const char*>(bytes.data());
            const auto len = static_cast<int32_t>(bytes.size());
            PictureInfo info{};
            const int info_rc = spi.picture_info(src, len, kMemory, &info);
            EXPECT_TRUE(info_rc == 0 || info_rc == 2);
            void *a = nullptr, *b = nullptr;
            const int rc = spi.picture(src, len, kMemory, &a, &b, nullptr, 0);
            EXPECT_EQ(rc, info_rc);
            EXPECT_EQ(rc == 0, a != nullptr && b != nullptr);
            std::free(a);
            std::free(b);
            const std::string path = write_file("damaged.fr", bytes);
            EXPECT_EQ(spi.picture_info(path.c_str(), 0, kFile, &info), info_rc);
            const int fd = open(path.c_str(), O_RDONLY);
            const int supported = spi.is_supported(nullptr, fd);
            close(fd);
            if (info_rc == 0) {
                EXPECT_EQ(supported, 1);
            }
        }
    }
}

// Allocation failure needs an allocator that answers null instead of
// aborting, so it runs in a child process of this test program.
TEST_F(SpiHost, OutOfMemoryIsCodeFour) {
    if (std::getenv("IFLMFR_OOM_CHILD")) {
        // 2 TiB of holes: the whole-file read buffer cannot be allocated.
        const std::string path = (dir / "huge.fr").string();
        const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        const bool sparse = ftruncate(fd, off_t{1} << 41) == 0;
        close(fd);
        if (!sparse) GTEST_SKIP() << "no sparse files of 2 TiB here";
#if !defined(__SANITIZE_ADDRESS__)
        // Without the sanitizer's allocation cap an overcommitting kernel
        // might grant the buffer; a small address-space limit rules that out.
        const rlimit limit{rlim_t{1} << 32, rlim_t{1} << 32};
        ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
#endif
        PictureInfo info{};
        void *a = nullptr, *b = nullptr;
        EXPECT_EQ(spi.picture_info(path.c_str(), 0, kFile, &info), 4);
        EXPECT_EQ(spi.picture(path.c_str(), 0, kFile, &a, &b, nullptr, 0), 4);
        return;
    }
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("IFLMFR_OOM_CHILD", "1", 1);
        setenv("ASAN_OPTIONS", "allocator_may_return_null=1:detect_leaks=0", 1);
        execl(self, self, "--gtest_filter=SpiHost.OutOfMemoryIsCodeFour", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
