#pragma once
// Find in project: every file of the project is read from disk, recognised
// and cut into lines as when it is opened, and every line holding a match is
// reported once with its file and line number.

#include <functional>
#include <string>
#include <vector>

#include "ide/editor/search.h"

namespace lumora::editor {

class KeywordDatabase;

// Where the lines go (the output window). Texts are Shift-JIS.
class ProjectSearchSink {
  public:
    virtual ~ProjectSearchSink() = default;
    virtual void clear() = 0;
    virtual void add_line(const std::string& text) = 0;
    // A result line carrying the file (host path) and 1-based line for the jump.
    virtual void add_result(const std::string& text, const std::string& file, int line) = 0;
};

struct ProjectSearchOutcome {
    int count = 0;
    bool cancelled = false;
};

// `keep_running` is asked between files and now and then between lines; when
// it says false the search stops after the current file with "取り消されました。".
ProjectSearchOutcome find_in_project(const std::vector<std::string>& files, const SearchSettings& settings,
                                     int tab_length, ProjectSearchSink& sink,
                                     const std::function<bool()>& keep_running = {},
                                     const KeywordDatabase* keywords = nullptr);

// The command's two states: idle and running. Choosing the command while it
// runs only asks it to stop; the stop takes effect between files.
class ProjectSearchRunner {
  public:
    bool running() const { return running_; }
    void request_stop() { stop_ = true; }
    // `pump` runs between files (the user interface handles its messages there,
    // and may call request_stop).
    ProjectSearchOutcome run(const std::vector<std::string>& files, const SearchSettings& settings,
                             int tab_length, ProjectSearchSink& sink, const std::function<void()>& pump = {},
                             const KeywordDatabase* keywords = nullptr);

  private:
    bool running_ = false;
    bool stop_ = false;
};

// The result line for one match: "path(line):" and the text with tabs expanded.
std::string project_result_line(const std::string& sjis_path, int line_number, std::string_view text,
                                int tab_length);

}  // namespace lumora::editor
