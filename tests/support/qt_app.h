#pragma once
// Test support: the one QApplication of a test program, made on first use.
// It is never destroyed: tests of several files share it, and Qt's own
// clean-up at exit would run after the statics it relies on are gone.

#include <QApplication>

namespace lumora::testing {

inline QApplication& qt_app() {
    if (auto* existing = qobject_cast<QApplication*>(QApplication::instance())) return *existing;
    static int argc = 1;
    static char name[] = "lumora_test";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
}

}  // namespace lumora::testing
