#include "converters/pictosrc/pictosrc_app.h"

#include <cstdio>
#include <new>

#include "common/bmp.h"
#include "common/file_bytes.h"
#include "common/replace_file.h"
#include "converters/pictosrc/pictosrc_convert.h"
#include "converters/pictosrc/pictosrc_text.h"

namespace lumora::pictosrc {

namespace {

constexpr const char* kWrongCount = "パラメータ数が合いません";
constexpr const char* kOpenFailed = "ファイルのオープンに失敗";
constexpr const char* kNot24Bit = "24bitじゃありません";
constexpr const char* kBadSize = "画像データのサイズが不正";
constexpr const char* kReadDone = "ファイルの読み込み成功";
constexpr const char* kReduceStart = "減色処理を開始します";
constexpr const char* kPaletteCount = "現在のパレット数:";
constexpr const char* kReduceDone = "減色完了";
constexpr const char* kWriteDone = "ファイルへの出力完了";
constexpr const char* kCreateFailed = "出力ファイルの作成に失敗: ";
constexpr const char* kWriteFailed = "ファイルへの出力に失敗: ";
constexpr const char* kNoMemory = "メモリが足りません";

void say(std::ostream& out, const std::string& line) {
    out << line << "\n" << std::flush;
}

bool usable_header(const BmpHeader& h) {
    // Run-length coded pictures are usable too: they are never 24-bit, and
    // saying so helps more than a failed open.
    return h.core_header || h.compression == kBmpRgb || h.compression == kBmpBitfields ||
           h.compression == kBmpRle8 || h.compression == kBmpRle4;
}

// The old file stays until the new text is complete.
bool write_text(const std::string& name, const std::string& text, std::ostream& out) {
    switch (replace_file(name, text)) {
        case ReplaceOutcome::Done:
            return true;
        case ReplaceOutcome::CannotCreate:
            say(out, kCreateFailed + name);
            return false;
        case ReplaceOutcome::CannotWrite:
            break;
    }
    say(out, kWriteFailed + name);
    return false;
}

int convert_file(const std::string& input, const std::string& output, std::ostream& out, MergeMethod method) {
    const auto read = read_file_bytes(input);
    const auto header = read ? parse_bmp_header(*read) : std::nullopt;
    if (!header || !usable_header(*header)) {
        say(out, kOpenFailed);
        return kExitFailed;
    }
    if (header->bit_count != 24) {
        say(out, kNot24Bit);
        return kExitFailed;
    }
    if (header->width % 8 != 0 || header->height % 8 != 0) {
        say(out, kBadSize);
        return kExitFailed;
    }
    // Rows shorter than the header promises: the same complaint about the size.
    BmpStatus status = BmpStatus::Ok;
    const auto pixels = bmp_pixels(*read, *header, &status);
    if (!pixels) {
        say(out, status == BmpStatus::ShortPixelData ? kBadSize : kOpenFailed);
        return kExitFailed;
    }

    ConvertHooks hooks;
    hooks.tiles_done = [&] {
        say(out, kReadDone);
        say(out, kReduceStart);
    };
    hooks.merging = [&](size_t count) { say(out, kPaletteCount + std::to_string(count)); };
    hooks.merging_done = [&] { say(out, kReduceDone); };
    const auto result = convert(*pixels, method, hooks);
    if (!result) {
        say(out, kNoMemory);
        return kExitFailed;
    }
    if (!write_text(output, render(*result), out)) return kExitFailed;
    say(out, kWriteDone);
    return kExitOk;
}

int run_checked(const std::vector<std::string>& args, std::ostream& out, MergeMethod method) {
    if (args.size() == 1 && args[0] == "--help") {
        out << "usage: pictosrc input.bmp [output.h]\n"
               "Converts a 24-bit BMP (width and height multiples of 8) into C arrays:\n"
               "up to 16 palettes of 15 colours, the palette of every 8x8 tile and the\n"
               "packed 4-bit pixels. The output defaults to a.h in the current folder.\n"
               "Exit status: 0 converted and written, 1 the conversion or the write\n"
               "failed, 2 wrong number of arguments.\n";
        return kExitHelp;
    }
    if (args.empty() || args.size() > 2) {
        say(out, kWrongCount);
        return kExitUsage;
    }
    return convert_file(args[0], args.size() == 2 ? args[1] : "a.h", out, method);
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, MergeMethod method) {
    try {
        return run_checked(args, out, method);
    } catch (const std::bad_alloc&) {
        say(out, kNoMemory);
        return kExitFailed;
    }
}

}  // namespace lumora::pictosrc
