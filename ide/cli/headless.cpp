#include "ide/cli/headless.h"

#include <filesystem>
#include <memory>

#include "common/cp932.h"
#include "ide/build/builder.h"
#include "ide/project/project_creation.h"
#include "ide/project/project_document.h"
#include "ide/transfer/transfer_commands.h"
#include "platform/path_style.h"

namespace fs = std::filesystem;

namespace lumora::ide {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUnusable = 2;

std::string absolute_path(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    if (ec) p = path;
    std::string out = p.lexically_normal().string();
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

class Session {
  public:
    Session(const HeadlessFolders& folders, HeadlessIo& io) : folders_(folders), io_(io) {}

    int new_project(const std::string& target) {
        const std::string folder = absolute_path(target);
        const std::string name = fs::path(folder).filename().string();
        if (name.empty() || folder == "/") {
            say("no project name in " + target);
            return kUnusable;
        }
        switch (check_new_project_folder(folder, name)) {
            case NewProjectCheck::FileInTheWay:
                say(kMsgFileHasFolderName);
                return kFailed;
            case NewProjectCheck::ProjectExists:
                say(kMsgProjectExists);
                return kFailed;
            case NewProjectCheck::FolderMissing:
                if (!create_folder_tree(folder)) {
                    say(folder + " を作成できません。");
                    return kFailed;
                }
                break;
            case NewProjectCheck::Ok:
                break;
        }
        // Without a window there is nobody to ask: an existing source is kept.
        auto created = create_project(folder, platform::name_to_sjis(name, platform::host_path_style()),
                                      [](const std::string&) { return false; });
        if (!created.doc) {
            say(created.error);
            return kFailed;
        }
        if (io_.out) io_.out(created.doc->path());
        return kOk;
    }

    int project_command(const CliOptions& options) {
        const std::string path = absolute_path(options.target);
        ProjectFileError error = ProjectFileError::None;
        std::unique_ptr<CKelvaneDoc> doc = CKelvaneDoc::open(path, &error);
        if (!doc) {
            say(open_error_message(error, path));
            return kUnusable;
        }
        doc->messages().add_listener([this, &doc](OutputList::Change change, size_t first, size_t count) {
            if (change != OutputList::Change::Appended || !io_.out) return;
            for (size_t i = first; i < first + count; ++i)
                io_.out(cp932::to_utf8(doc->messages().at(i).text));
        });

        TransferHooks transfer_hooks;
        transfer_hooks.device = io_.device;
        transfer_hooks.pump = [this] {
            if (interrupted() && io_.abandon) io_.abandon();
        };

        int status = kOk;
        switch (options.command) {
            case CliCommand::Build:
            case CliCommand::Rebuild:
            case CliCommand::Compile: {
                Builder* running = nullptr;
                BuildHooks hooks;
                hooks.pump = [this, &running] {
                    if (interrupted() && running && running->tool_running()) running->cancel();
                };
                hooks.show_message = [this](const std::string& m) { say(m); };
                hooks.transfer_and_run = [&] { return transfer_then_execute(*doc, transfer_hooks); };
                Builder builder(*doc, BuildSettings{folders_.compiler_folder, folders_.platform_folder},
                                hooks);
                running = &builder;
                if (options.command == CliCommand::Compile) {
                    const BuildResult r = builder.compile_one(absolute_path(options.source));
                    if (!r.started) return kUnusable;
                    status = r.errors == 0 && !r.cancelled && !r.tool_failed ? kOk : kFailed;
                } else {
                    const BuildResult r = builder.build(
                        options.command == CliCommand::Rebuild ? BuildKind::Full : BuildKind::Normal);
                    status = r.succeeded() ? kOk : kFailed;
                }
                break;
            }
            case CliCommand::Transfer:
            case CliCommand::Run:
            case CliCommand::TransferRun: {
                const TransferCommand command =
                    options.command == CliCommand::Transfer ? TransferCommand::Transfer
                    : options.command == CliCommand::Run    ? TransferCommand::Execute
                                                            : TransferCommand::TransferExecute;
                status = run_transfer_command(*doc, command, transfer_hooks) ? kOk : kFailed;
                break;
            }
            default:
                return kUnusable;
        }
        if (interrupted()) status = kFailed;
        return status;
    }

  private:
    bool interrupted() const { return io_.interrupted && io_.interrupted(); }
    void say(const std::string& message) {
        if (io_.err) io_.err(message);
    }

    HeadlessFolders folders_;
    HeadlessIo& io_;
};

}  // namespace

int run_headless(const CliOptions& options, const HeadlessFolders& folders, HeadlessIo& io) {
    Session session(folders, io);
    switch (options.command) {
        case CliCommand::NewProject:
            return session.new_project(options.target);
        case CliCommand::Build:
        case CliCommand::Rebuild:
        case CliCommand::Compile:
        case CliCommand::Transfer:
        case CliCommand::Run:
        case CliCommand::TransferRun:
            return session.project_command(options);
        default:
            return kUnusable;
    }
}

}  // namespace lumora::ide
