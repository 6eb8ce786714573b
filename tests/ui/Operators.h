#pragma once

#include "batch/CBatchDlg.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <utility>

namespace t8::test {

// Calls `answer` with the active modal window every 20 ms while one is open, so that a test can
// answer the modal windows its commands open from inside their loops.
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(QWidget*)> answer) {
        timer.setInterval(kPollMs);
        QObject::connect(&timer, &QTimer::timeout, [answer = std::move(answer)] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                answer(modal);
            }
        });
        timer.start();
    }

private:
    static constexpr int kPollMs = 20;
    QTimer timer;
};

// Chooses `path` in a file dialog as an operator would: typed into the name field, since
// selectFile leaves that field alone while it has the focus.
inline void ChooseFile(QFileDialog* dialog, const QString& path) {
    auto* field = dialog->findChild<QLineEdit*>("fileNameEdit");
    field != nullptr ? field->setText(path) : dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it, not its override
}

// Answers the modal windows of the running window as an operator would: message boxes with OK,
// a file dialog with `fileName` (left open while that is empty), the examine dialog by closing
// it. Remembers what it saw.
class Operator {
public:
    QStringList messages;
    QStringList examined;
    QString fileName;

private:
    void Answer(QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages << box->text();
            box->done(QMessageBox::Ok);
        } else if (auto* files = qobject_cast<QFileDialog*>(modal); files && !fileName.isEmpty()) {
            ChooseFile(files, fileName);
        } else if (modal->objectName() == "CExamineFileDlg") {
            examined << modal->windowTitle();
            qobject_cast<QDialog*>(modal)->reject();
        }
    }

    ModalWatch watch{[this](QWidget* modal) { Answer(modal); }};
};

// Answers the program started whole: every question with No, each batch dialog with OK once its
// batch has ended, any other dialog by closing it. Notes each window's caption once, and hands
// each such other dialog to `beforeClosing`.
class StartupOperator {
public:
    QStringList captions;
    std::function<void(QDialog*)> beforeClosing;

private:
    void Answer(QWidget* modal) {
        if (modal->property(kAnswered).toBool()) {
            return;
        }
        if (auto* batch = qobject_cast<CBatchDlg*>(modal)) {
            if (batch->Executor().Finished()) {
                Note(modal);
                batch->OkButton()->click();
            }
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Note(modal);
            box->button(QMessageBox::No)->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            Note(modal);
            if (beforeClosing) {
                beforeClosing(dialog);
            }
            dialog->reject();
        }
    }
    void Note(QWidget* modal) {
        modal->setProperty(kAnswered, true);
        captions << modal->windowTitle();
    }

    static constexpr const char* kAnswered = "t8TestAnswered";
    ModalWatch watch{[this](QWidget* modal) { Answer(modal); }};
};

} // namespace t8::test
