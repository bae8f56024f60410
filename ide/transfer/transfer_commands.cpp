#include "ide/transfer/transfer_commands.h"

#include "common/cp932.h"
#include "ide/build/build_commands.h"
#include "platform/path_style.h"

namespace lumora::ide {

namespace {

const std::string& text(const char* utf8) {
    // Six fixed lines; each is converted once.
    static std::vector<std::pair<std::string, std::string>> table;
    for (const auto& [key, value] : table)
        if (key == utf8) return value;
    table.emplace_back(utf8, cp932::from_utf8(utf8));
    return table.back().second;
}

class Session {
  public:
    Session(CKelvaneDoc& doc, const TransferHooks& hooks)
        : doc_(doc), hooks_(hooks), link_([this](const std::string& line) { post_sjis(line); }, hooks.pump) {
        if (hooks_.adjust_timeouts) hooks_.adjust_timeouts(link_.timeouts());
    }

    void post(const char* utf8) { post_sjis(text(utf8)); }

    bool open() { return hooks_.device.empty() ? link_.open() : link_.open_device(hooks_.device); }

    devlink::IdeLink& link() { return link_; }

  private:
    void post_sjis(const std::string& line) {
        doc_.messages().add_message(line, false);
        if (hooks_.refresh) hooks_.refresh();
    }

    CKelvaneDoc& doc_;
    const TransferHooks& hooks_;
    devlink::IdeLink link_;
};

}  // namespace

std::string file_entry_path(const CKelvaneDoc& doc) {
    const platform::PathStyle style = doc.path_style();
    return file_entry_path(doc.project_folder(), doc.record().output_folder,
                           platform::name_from_sjis(doc.record().name, style), style);
}

bool transfer(CKelvaneDoc& doc, const TransferHooks& hooks) {
    Session session(doc, hooks);
    session.post("転送開始");
    bool ok = session.open();
    if (ok) {
        ok = session.link().upload(file_entry_path(doc));
        session.link().close();
    }
    session.post(ok ? "転送終了" : "転送失敗");
    return ok;
}

bool execute(CKelvaneDoc& doc, const TransferHooks& hooks) {
    Session session(doc, hooks);
    session.post("実行開始");
    bool ok = session.open();
    if (ok) {
        const auto name = devlink::program_name_of_file(file_entry_path(doc));
        ok = name && session.link().exec(*name);
        session.link().close();
    }
    session.post(ok ? "実行終了" : "実行失敗");
    return ok;
}

bool transfer_then_execute(CKelvaneDoc& doc, const TransferHooks& hooks) {
    return transfer(doc, hooks) && execute(doc, hooks);
}

bool run_transfer_command(CKelvaneDoc& doc, TransferCommand command, const TransferHooks& hooks) {
    doc.messages().clear();
    if (hooks.show_output) hooks.show_output();
    if (hooks.refresh) hooks.refresh();
    switch (command) {
        case TransferCommand::Transfer:
            return transfer(doc, hooks);
        case TransferCommand::Execute:
            return execute(doc, hooks);
        case TransferCommand::TransferExecute:
            return transfer_then_execute(doc, hooks);
    }
    return false;
}

}  // namespace lumora::ide
