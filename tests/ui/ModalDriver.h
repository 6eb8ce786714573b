#pragma once

#include "transfer/ui/CDownloadProgressDlg.h"
#include "transfer/ui/CUploadProgressDlg.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

namespace t8::test {

// Chooses `path` in a file dialog as an operator would: typed into the name field, since
// selectFile leaves that field alone while it has the focus.
inline void ChooseFile(QFileDialog* dialog, const QString& path) {
    auto* field = dialog->findChild<QLineEdit*>("fileNameEdit");
    field != nullptr ? field->setText(path) : dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it, not its override
}

// Answers the modal windows a command opens, one handler each in turn: a handler gets the
// active modal window once one of its type shows and ends it as an operator would. Any other
// window but a transfer's progress is noted and closed. It looks every 20 ms, so that it
// answers from inside the windows' own loops.
class ModalDriver {
public:
    ModalDriver() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                Poll(modal);
            }
        });
        timer.start(kPollMs);
    }

    template <typename Window> void Then(std::function<void(Window*)> handle) {
        handlers.push_back([handle = std::move(handle)](QWidget* widget) {
            auto* window = qobject_cast<Window*>(widget);
            if (window == nullptr || !window->isVisible()) {
                return window == nullptr ? Fit::Other : Fit::NotYet;
            }
            handle(window);
            return Fit::Done;
        });
    }
    // The next `count` message boxes answered with OK, their texts noted in `texts`.
    void Messages(int count) {
        for (int i = 0; i < count; ++i) {
            Then<QMessageBox>([this](QMessageBox* box) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            });
        }
    }
    [[nodiscard]] bool Done() const { return next == handlers.size(); }

    QStringList unexpected;
    QStringList texts;

private:
    void Poll(QWidget* modal) {
        if (qobject_cast<CDownloadProgressDlg*>(modal) ||
            qobject_cast<CUploadProgressDlg*>(modal)) {
            return; // a transfer's progress: the program closes it itself
        }
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
        // a window is answered once, and left alone by the polls of a handler that waits
        modal->setProperty(kHandled, true);
        const Fit fit = next < handlers.size() ? handlers[next](modal) : Fit::Other;
        if (fit == Fit::Done) {
            ++next;
        } else if (fit == Fit::NotYet) {
            modal->setProperty(kHandled, false);
        } else {
            // nobody expected it: note it and close it, so the test goes on to fail
            unexpected << modal->windowTitle() + ": " + modal->metaObject()->className();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        }
    }

    static constexpr const char* kHandled = "t8TestHandled";
    static constexpr int kPollMs = 20;
    static constexpr qint64 kStuckMs = 30000;
    QElapsedTimer clock;
    enum class Fit { Other, NotYet, Done };
    std::vector<std::function<Fit(QWidget*)>> handlers;
    std::size_t next = 0;
    QTimer timer;
};

} // namespace t8::test
