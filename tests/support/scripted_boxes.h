#pragma once
// Test support: answers the message boxes a scenario expects, in order, and
// fails the test on any other box. Header-only; install it with
// lumora::ui::ScopedMessageBoxes for the length of a test.

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <vector>

#include "ui/message_box.h"

namespace lumora::testing {

class ScriptedBoxes : public ui::MessageBoxes {
  public:
    ScriptedBoxes() = default;
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    ~ScriptedBoxes() override {
        for (const auto& e : expected_) {
            ADD_FAILURE() << "expected message box never shown: " << e.fragment.toStdString();
        }
    }

    // The next box must contain `fragment` in its text; it is answered `answer`.
    ScriptedBoxes& expect(const QString& fragment, ui::BoxAnswer answer) {
        expected_.push_back({fragment, answer});
        return *this;
    }

    ui::BoxAnswer show(QWidget*, const ui::Box& box) override {
        shown_.push_back(box);
        if (expected_.empty() || !box.text.contains(expected_.front().fragment)) {
            ADD_FAILURE() << "unexpected message box \"" << box.caption.toStdString()
                          << "\": " << box.text.toStdString()
                          << (expected_.empty()
                                  ? std::string()
                                  : " (expected one with: " + expected_.front().fragment.toStdString() + ")");
            return ui::dismissed_answer(box.buttons);
        }
        const ui::BoxAnswer answer = expected_.front().answer;
        expected_.pop_front();
        return answer;
    }

    const std::vector<ui::Box>& shown() const { return shown_; }
    bool all_shown() const { return expected_.empty(); }

  private:
    struct Expected {
        QString fragment;
        ui::BoxAnswer answer;
    };
    std::deque<Expected> expected_;
    std::vector<ui::Box> shown_;
};

}  // namespace lumora::testing
