#pragma once

#include "tests/ui/Operators.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

namespace t8::test {

// Answers the modal windows a command opens, one handler each in turn: a handler gets the
// active modal window once one of its type shows and ends it as an operator would.
class ModalDriver {
public:
    using Handler = std::function<bool(QWidget*)>; // true once it has dealt with the window

    template <typename Window> void Then(std::function<void(Window*)> handle) {
        handlers.push_back([handle = std::move(handle)](QWidget* widget) {
            auto* window = qobject_cast<Window*>(widget);
            if (window == nullptr || !window->isVisible()) {
                return false;
            }
            handle(window);
            return true;
        });
    }
    [[nodiscard]] bool Done() const { return next == handlers.size(); }

    QStringList unexpected;

private:
    void Poll(QWidget* modal) {
        if (modal->property(kHandled).toBool()) {
            // a window its handler could not end would hold the test forever
            if (clock.elapsed() > kStuckMs) {
                unexpected << modal->windowTitle() + ": still open";
                if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    dialog->reject();
                }
            }
            return;
        }
        clock.start();
        if (next >= handlers.size()) {
            // nobody expected it: note it and close it, so the test goes on to fail
            unexpected << modal->windowTitle() + ": " + modal->metaObject()->className();
            modal->setProperty(kHandled, true);
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            return;
        }
        if (handlers[next](modal)) {
            modal->setProperty(kHandled, true); // a window is answered once
            ++next;
        }
    }

    static constexpr const char* kHandled = "t8TestHandled";
    static constexpr qint64 kStuckMs = 10000;
    QElapsedTimer clock;
    std::vector<Handler> handlers;
    std::size_t next = 0;
    ModalWatch watch{[this](QWidget* modal) { Poll(modal); }};
};

} // namespace t8::test
