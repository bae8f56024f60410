#pragma once
// Turns the PC keyboard into held PcKey bits for the frame worker, whichever
// simvane window has the focus; keys held while the focus leaves simvane are
// released.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <optional>

class QKeyEvent;

namespace lumora::simvane {

// The PcKey bit of a Qt key (keypad keys carry the keypad modifier, with or
// without Num Lock), or nullopt for keys simvane does not read.
std::optional<uint32_t> pc_key_for(int qt_key, bool keypad);

class KeyInput : public QObject {
    Q_OBJECT
  public:
    explicit KeyInput(std::atomic<uint32_t>& held, QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void release_all() { held_.store(0); }

  private:
    std::atomic<uint32_t>& held_;
};

}  // namespace lumora::simvane
