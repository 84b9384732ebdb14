// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window tests add to TestFiles.h: UTF-8 texts as QString, whole files in and out by
// QString path, the real dialogs answered from the test side, the end of the program seen from
// outside, and a conversion run held at a file.

#include "TestFiles.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>

namespace rz408::test {

inline QString Utf8Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::filesystem::path PathOf(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// Writes BYTES to PATH; a failure fails the calling test function.
inline void WriteFile(const QString& path, const QByteArray& bytes) {
    try {
        WriteFile(PathOf(path),
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
}

// The bytes of PATH, or "<missing>" (kMissing) when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    return QByteArray::fromStdString(ReadFile(PathOf(path)));
}

// Answers the dialogs that the windows open, as a user does, while it exists. When a dialog
// shows, the answer runs on the next turn of the dialog's own event loop: by default a message
// box's text is noted in `messages` and the box is closed with Enter on its focused OK button;
// setting `answer` handles every dialog (a message box too) in its place.
class DialogCatcher : public QObject {
public:
    DialogCatcher() { qApp->installEventFilter(this); }
    ~DialogCatcher() override { qApp->removeEventFilter(this); }
    DialogCatcher(const DialogCatcher&) = delete;
    DialogCatcher& operator=(const DialogCatcher&) = delete;

    QStringList messages;
    std::function<void(QDialog*)> answer;

    // Hands every progress dialog to PROGRESS; message boxes are closed as by default, and any
    // other dialog fails the test.
    void AnswerProgress(std::function<void(QProgressDialog*)> progress) {
        answer = [this, progress = std::move(progress)](QDialog* dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                Close(box);
                return;
            }
            auto* shown = qobject_cast<QProgressDialog*>(dialog);
            QVERIFY(shown);
            progress(shown);
        };
    }

    // Closes message box BOX with Enter, as a user does, noting its text.
    void Close(QMessageBox* box) {
        messages << box->text();
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Show) {
            return false;
        }
        auto* dialog = qobject_cast<QDialog*>(object);
        if (dialog == nullptr || !dialog->isWindow()) {
            return false;
        }
        QMetaObject::invokeMethod(
            dialog,
            [this, dialog] {
                if (answer) {
                    answer(dialog);
                } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                    Close(box);
                }
            },
            Qt::QueuedConnection);
        return false;
    }
};

// What ExecAround returns when the action left the program running.
inline constexpr int kStillRunning = 99;

// Runs ACTION inside the application's event loop, as the program runs its handlers, and
// returns the loop's exit code: 0 when ACTION ended the program, kStillRunning when the loop
// still ran after it.
inline int ExecAround(const std::function<void()>& action) {
    QObject guard; // its destruction drops a check that the end of the loop left
                   // unrun
    QTimer::singleShot(0, &guard, [&guard, &action] {
        action();
        QMetaObject::invokeMethod(
            &guard, [] { QCoreApplication::exit(kStillRunning); }, Qt::QueuedConnection);
    });
    return QApplication::exec();
}

// Holds a run after its file AT until released: a run as long as a test needs, whatever the
// machine. Should a test fail before it releases the run, the run goes on after ten seconds.
struct Hold {
    explicit Hold(std::size_t at) : at(at) {}
    const std::size_t at;
    QSemaphore gate;
    std::atomic<bool> offThread{false}; // the run called from a thread not the window's

    void operator()(std::size_t done) {
        offThread.store(QThread::currentThread() != qApp->thread());
        if (done == at) {
            gate.tryAcquire(1, 10000);
        }
    }
    void Release() { gate.release(); }
};

} // namespace rz408::test
