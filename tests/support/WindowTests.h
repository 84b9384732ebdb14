// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window tests share over the program's windows: the languages as rows, controls
// found by their objectName, the entries of a list as it shows them, and a conversion run held
// at a file.

#include "LanguageProfile.h"
#include "RunProgress.h"

#include <QApplication>
#include <QListWidget>
#include <QMetaType>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <cstddef>
#include <utility>

Q_DECLARE_METATYPE(const rz408::LanguageProfile*)

namespace rz408::test {

// Every language, in the order of the start window's choice buttons; and the two that convert.
inline const std::pair<const char*, const LanguageProfile*> kEveryProfile[] = {
    {"French", &kFrenchProfile}, {"German", &kGermanProfile}, {"English", &kEnglishProfile}};
inline const std::pair<const char*, const LanguageProfile*> kConvertingProfiles[] = {
    {"German", &kGermanProfile}, {"French", &kFrenchProfile}};

// The child of WINDOW whose objectName is NAME, as a T. A window without it ends the test
// program: the test names a control the window lacks.
template <typename T = QWidget>
T& Control(const QWidget& window, const QString& name) {
    T* control = window.findChild<T*>(name);
    if (control == nullptr) {
        qFatal("%s has no control %s of the kind asked for", qPrintable(window.objectName()),
               qPrintable(name));
    }
    return *control;
}

// The top-level window whose objectName is NAME, as a T; nullptr while there is none.
template <typename T = QWidget>
T* TopLevel(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name) {
            if (auto* found = qobject_cast<T*>(window)) {
                return found;
            }
        }
    }
    return nullptr;
}

// The texts of LIST's entries, as it shows them.
QStringList Entries(const QListWidget& list);

// The tooltips of LIST's entries: in the folder list, the whole path of each entry's folder.
QStringList Tips(const QListWidget& list);

// The row of the folder list's entry for FOLDER (either separator), or -1.
int RowOf(const QListWidget& list, const QString& folder);

// Scrolls entry ROW of LIST into view and waits until the list has laid it out there; false
// when it never shows.
bool ShowEntry(QListWidget& list, int row);

// Holds a run after its file AT until released: a run as long as a test needs, whatever the
// machine. Should a test fail before it releases the run, the run goes on after ten seconds.
// The count still reaches the window as it does without the hold.
class HeldProgress : public RunProgress {
public:
    // Holds the runs from now on after their file AT; 0 holds none.
    void HoldAt(std::size_t at) { m_at.store(at); }
    void Release() { m_gate.release(); }
    // The run told of its files on a thread other than the window's.
    bool OffThread() const { return m_offThread.load(); }

    void FileDone(std::size_t done, std::size_t listed) override;

private:
    std::atomic<std::size_t> m_at{0};
    QSemaphore m_gate;
    std::atomic<bool> m_offThread{false};
};

} // namespace rz408::test
