#include "key_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "key_map.h"

namespace lumora::simvane {

std::optional<uint32_t> pc_key_for(int qt_key, bool keypad) {
    switch (qt_key) {
        case Qt::Key_S:
            return kPcS;
        case Qt::Key_A:
            return kPcA;
        case Qt::Key_B:
            return kPcB;
        default:
            break;
    }
    if (keypad) {
        // Num Lock off turns the keypad digits into cursor keys.
        switch (qt_key) {
            case Qt::Key_8:
            case Qt::Key_Up:
                return kPcPad8;
            case Qt::Key_6:
            case Qt::Key_Right:
                return kPcPad6;
            case Qt::Key_2:
            case Qt::Key_Down:
                return kPcPad2;
            case Qt::Key_4:
            case Qt::Key_Left:
                return kPcPad4;
            default:
                return std::nullopt;
        }
    }
    switch (qt_key) {
        case Qt::Key_Up:
            return kPcUp;
        case Qt::Key_Right:
            return kPcRight;
        case Qt::Key_Down:
            return kPcDown;
        case Qt::Key_Left:
            return kPcLeft;
        default:
            return std::nullopt;
    }
}

KeyInput::KeyInput(std::atomic<uint32_t>& held, QObject* parent) : QObject(parent), held_(held) {
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) release_all();
    });
}

bool KeyInput::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto bit = pc_key_for(key->key(), key->modifiers() & Qt::KeypadModifier);
    if (!bit) return false;
    if (!key->isAutoRepeat()) {
        if (type == QEvent::KeyPress)
            held_.fetch_or(*bit);
        else
            held_.fetch_and(~*bit);
    }
    // The view windows have nothing else to do with these keys; in the
    // control window they also work its controls.
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window()->property("simvane_view").toBool();
}

}  // namespace lumora::simvane
