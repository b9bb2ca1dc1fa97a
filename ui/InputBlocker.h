#pragma once

#include <QObject>

#include <functional>

namespace ui {

// While it lives, the application takes no user input: clicks, keys, the
// wheel, touch, shortcuts and the close box are dropped, not held back, so
// nothing is replayed when it goes. Esc runs onEscape instead.
class InputBlocker final : public QObject {
public:
    explicit InputBlocker(std::function<void()> onEscape);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker &) = delete;
    InputBlocker &operator=(const InputBlocker &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> onEscape_;
};

} // namespace ui
