#include "ide/build/builder.h"

#include <sys/stat.h>

#include <ctime>
#include <vector>

#include "common/cp932.h"
#include "ide/build/build_commands.h"
#include "ide/project/project_creation.h"

namespace lumora::ide {

namespace {

struct FileTime {
    bool exists = false;
    struct timespec mtime {};
};

FileTime file_time(const std::string& path) {
    struct stat st {};
    FileTime t;
    if (::stat(path.c_str(), &st) != 0) return t;
    t.exists = true;
    t.mtime = st.st_mtim;
    return t;
}

bool earlier(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// What a file looked like at one moment. The packing step's file entry is
// compared before and after the step rather than against the wall clock: a
// share whose clock lags, 2-second time stamps or a tool that sets the time
// itself would fool a clock comparison. The change time catches a rewrite in
// place that kept size and modification time.
struct FileState {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec mtime {};
    struct timespec ctime {};
};

FileState file_state(const std::string& path) {
    struct stat st {};
    FileState s;
    if (::stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
}

bool same_time(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// True when the step left a file that was not there before, or changed it.
bool rewritten(const FileState& before, const FileState& after) {
    if (!after.exists) return false;
    if (!before.exists) return true;
    return before.device != after.device || before.inode != after.inode || before.size != after.size ||
           !same_time(before.mtime, after.mtime) || !same_time(before.ctime, after.ctime);
}

const std::string& compiling_line() {
    static const std::string line = cp932::from_utf8("ｺﾝﾊﾟｲﾙ中...");
    return line;
}

const std::string& linking_line() {
    static const std::string line = cp932::from_utf8("ﾘﾝｸ中...");
    return line;
}

}  // namespace

std::string entry_not_written_reason(bool auto_transfer) {
    std::string line = " が書き込まれなかったため、ビルドは失敗しました。";
    if (auto_transfer) line += "転送は行いません。";
    return line;
}

bool needs_compile(const std::string& source, const std::string& object) {
    const FileTime s = file_time(source);
    if (!s.exists) return false;
    const FileTime o = file_time(object);
    return !o.exists || !earlier(s.mtime, o.mtime);
}

Builder::Builder(CKelvaneDoc& doc, BuildSettings settings, BuildHooks hooks)
    : doc_(doc), settings_(std::move(settings)), hooks_(std::move(hooks)) {}

std::tm Builder::now() const {
    if (hooks_.local_time) return hooks_.local_time();
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return tm;
}

long long Builder::seconds() const {
    if (hooks_.seconds) return hooks_.seconds();
    return static_cast<long long>(std::time(nullptr));
}

void Builder::refresh() {
    if (hooks_.refresh) hooks_.refresh();
}

void Builder::plain(const std::string& sjis_text) {
    doc_.messages().add_message(sjis_text, false);
}

void Builder::time_line(const char* prefix) {
    const std::tm tm = now();
    plain(prefix + clock_text(tm.tm_hour, tm.tm_min, tm.tm_sec));
}

ToolOutcome Builder::run_tool(const std::string& command_line) {
    const platform::PathStyle style = doc_.path_style();
    ToolHooks hooks;
    hooks.tool_line = [this](std::string line) { doc_.messages().add_tool_line(line); };
    hooks.plain_line = [this, style](std::string line) { plain(platform::name_to_sjis(line, style)); };
    hooks.pump = hooks_.pump;
    hooks.refresh = hooks_.refresh;
    return runner_.run(command_line, doc_.project_folder(), hooks);
}

BuildResult Builder::build(BuildKind kind) {
    BuildResult r;
    if (hooks_.save_documents) hooks_.save_documents();
    if (doc_.path().empty()) return r;
    if (kind == BuildKind::Normal && doc_.settings_changed() && hooks_.ask_full_build &&
        hooks_.ask_full_build(kFullBuildQuestion)) {
        kind = BuildKind::Full;
    }
    doc_.set_settings_changed(false);
    doc_.set_building(true);
    r.started = true;

    OutputList& out = doc_.messages();
    out.clear();
    if (hooks_.show_output) hooks_.show_output();
    refresh();

    const long long start = seconds();
    time_line("Build Start ");

    const ProjectRecord& record = doc_.record();
    const platform::PathStyle style = doc_.path_style();
    const BuildFolders folders = build_folders(doc_.project_folder(), settings_.compiler_folder,
                                               settings_.platform_folder, record.output_folder, style);
    const std::string name = platform::name_from_sjis(record.name, style);

    struct Unit {
        std::string source;
        std::string object;
    };
    std::vector<Unit> units;
    std::vector<size_t> to_compile;
    for (const SourceItem& item : record.sources) {
        Unit unit{source_argument(item.path, folders), object_path(item.path, folders)};
        const bool compile =
            kind == BuildKind::Full ||
            needs_compile(item.path, platform::make_absolute(unit.object, folders.project, style));
        if (compile) to_compile.push_back(units.size());
        units.push_back(std::move(unit));
    }

    create_folder_tree(platform::make_absolute(record.output_folder, folders.project, style));

    bool cancelled = false;
    bool failed = false;
    if (!to_compile.empty()) {
        plain(compiling_line());
        for (size_t index : to_compile) {
            const Unit& unit = units[index];
            plain(platform::name_to_sjis(unit.source + " -> " + unit.object, style));
            const ToolOutcome outcome =
                run_tool(compile_command(folders, record.compile_options, unit.source, unit.object));
            if (outcome == ToolOutcome::Cancelled) {
                cancelled = true;
                break;
            }
            if (outcome == ToolOutcome::FailedToStart)
                failed = true;
            else
                ++r.compiled;
        }
    }

    // Counted also after a cancel, so the closing line shows what was seen.
    r.errors = out.count_kind(kCompileError) + out.count_kind(kLinkError);
    r.warnings = out.count_kind(kCompileWarning) + out.count_kind(kLinkWarning);

    if (!cancelled && !failed && r.errors == 0) {
        plain(linking_line());
        const size_t mark = out.size();
        std::vector<std::string> objects;
        objects.reserve(units.size());
        for (const Unit& unit : units) objects.push_back(unit.object);
        const ToolOutcome link = run_tool(
            link_command(folders, record.link_options, startup_object(record.display_mode), objects, name));
        r.errors += out.count_kind(kLinkError, mark);
        r.warnings += out.count_kind(kLinkWarning, mark);
        if (link == ToolOutcome::Cancelled)
            cancelled = true;
        else if (link == ToolOutcome::FailedToStart)
            failed = true;
        else
            r.linked = true;

        if (r.linked && r.errors == 0) {
            const std::string entry = file_entry_path(folders.project, record.output_folder, name, style);
            const ToolOutcome convert = run_tool(convert_command(folders, name));
            if (convert == ToolOutcome::Cancelled) {
                cancelled = true;
            } else if (convert == ToolOutcome::FailedToStart) {
                failed = true;
            } else {
                const FileState before = file_state(entry);
                const ToolOutcome pack = run_tool(pack_command(folders, name));
                if (pack == ToolOutcome::Cancelled) {
                    cancelled = true;
                } else if (pack == ToolOutcome::FailedToStart) {
                    failed = true;
                } else {
                    r.packed = true;
                    r.entry_written = rewritten(before, file_state(entry));
                    // The packer's own complaints are not counted as errors,
                    // so say why this build fails.
                    if (!r.entry_written)
                        plain(platform::name_to_sjis(platform::make_relative(entry, folders.project, style),
                                                     style) +
                              cp932::from_utf8(entry_not_written_reason(record.auto_transfer)));
                }
            }
        }
    }
    r.cancelled = cancelled;
    r.tool_failed = failed;

    time_line("Build End ");
    plain("Build Time = " + elapsed_text(seconds() - start) + " : Error = " + std::to_string(r.errors) +
          ", Warning = " + std::to_string(r.warnings));
    refresh();

    // A tool that could not start, or a packing step that wrote nothing,
    // leaves no fresh file entry; sending the one of an earlier build would
    // run old code on the console, so such a build does not transfer.
    if (r.errors == 0 && !cancelled && !failed && r.entry_written && record.auto_transfer &&
        hooks_.transfer_and_run) {
        r.transfer_attempted = true;
        r.transfer_ok = hooks_.transfer_and_run();
    }

    doc_.set_building(false);
    if (hooks_.beep) hooks_.beep();
    return r;
}

BuildResult Builder::compile_one(const std::string& source_path) {
    BuildResult r;
    if (doc_.find_list(source_path) != FileList::Sources) {
        if (hooks_.show_message) hooks_.show_message(kNotASourceMessage);
        return r;
    }
    if (hooks_.save_documents) hooks_.save_documents();
    if (doc_.path().empty()) return r;

    const ProjectRecord& record = doc_.record();
    const platform::PathStyle style = doc_.path_style();
    const BuildFolders folders = build_folders(doc_.project_folder(), settings_.compiler_folder,
                                               settings_.platform_folder, record.output_folder, style);
    create_folder_tree(platform::make_absolute(record.output_folder, folders.project, style));
    doc_.set_building(true);
    r.started = true;
    OutputList& out = doc_.messages();
    out.clear();
    if (hooks_.show_output) hooks_.show_output();
    refresh();

    const long long start = seconds();
    time_line("Compile Start ");
    const std::string source = source_argument(source_path, folders);
    const std::string object = object_path(source_path, folders);
    plain(platform::name_to_sjis(source + " -> " + object, style));
    const ToolOutcome outcome = run_tool(compile_command(folders, record.compile_options, source, object));
    r.cancelled = outcome == ToolOutcome::Cancelled;
    r.tool_failed = outcome == ToolOutcome::FailedToStart;
    if (outcome == ToolOutcome::Ran) r.compiled = 1;

    r.errors = out.count_kind(kCompileError);
    r.warnings = out.count_kind(kCompileWarning);
    time_line("Compile End ");
    plain("Compile Time = " + elapsed_text(seconds() - start) + " : Error = " + std::to_string(r.errors) +
          ", Warning = " + std::to_string(r.warnings));
    refresh();
    doc_.set_building(false);
    if (hooks_.beep) hooks_.beep();
    return r;
}

}  // namespace lumora::ide
