#pragma once
// Widget tests of the edit view: one QApplication for the program, a view
// over a document sized to a known number of cells, key helpers.

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "ide/editor/text_doc.h"
#include "ide/editview/edit_environment.h"
#include "ide/editview/text_edit_view.h"

namespace lumora::editview::testing {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "editview_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A shown view of `columns` x `rows` whole cells over `doc`.
inline std::unique_ptr<CTextEditView> make_view(editor::CTextDoc& doc, EditEnvironment& env, int columns = 40,
                                                int rows = 10) {
    application();
    auto view = std::make_unique<CTextEditView>(doc, env);
    const auto& c = env.cell();
    view->show();
    // Size the viewport exactly; the frame and bars come on top.
    const QSize extra = view->size() - view->viewport()->size();
    view->resize(columns * c.width + extra.width(), rows * c.height + extra.height());
    QApplication::processEvents();
    view->activateWindow();
    view->setFocus();
    QApplication::processEvents();
    return view;
}

inline void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(w, &press);
}

inline void type(QWidget* w, const QString& text) {
    for (QChar ch : text) key(w, Qt::Key_unknown, Qt::NoModifier, QString(ch));
}

inline std::vector<std::string> lines(const editor::CTextDoc& doc) {
    std::vector<std::string> out;
    for (int i = 0; i < doc.line_count(); ++i) out.emplace_back(doc.line_text(i));
    return out;
}

}  // namespace lumora::editview::testing
