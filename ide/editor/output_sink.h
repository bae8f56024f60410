#pragma once
// Find-in-project results into the output window's message list.

#include "ide/editor/project_search.h"
#include "ide/output/output_list.h"

namespace lumora::editor {

class OutputListSink : public ProjectSearchSink {
  public:
    explicit OutputListSink(ide::OutputList& list) : list_(list) {}
    void clear() override { list_.clear(); }
    void add_line(const std::string& text) override { list_.add_message(text, false); }
    void add_result(const std::string& text, const std::string& file, int line) override {
        list_.add_search_result(text, file, line);
    }

  private:
    ide::OutputList& list_;
};

}  // namespace lumora::editor
