// SPDX-License-Identifier: GPL-3.0-or-later
// The folder watch on Windows: looks at the folders on a timer and holds nothing open on them.
// A watch through the system's change notices keeps a handle on each folder: while the window
// is open the player could then neither rename nor move that folder or any folder above it,
// and a folder he deletes would stay (delete pending) until the watch let go of it.

#include "FolderWatch.h"

#include <QDir>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace rz408 {

namespace {

// How often the folders are looked at.
constexpr int kPollIntervalMs = 1000;

// What a look at a folder sees: whether it is there, and its last-write time, which moves
// whenever an entry is added to it, removed from it or renamed in it.
struct Sight {
    QString Folder; // native separators
    bool There = false;
    std::uint64_t LastWrite = 0;

    bool operator==(const Sight&) const = default;
};

Sight Look(const QString& folder) {
    Sight sight{folder};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(reinterpret_cast<const wchar_t*>(folder.utf16()),
                             GetFileExInfoStandard, &data) &&
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        sight.There = true;
        sight.LastWrite = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
    }
    return sight;
}

} // namespace

// Looks at the folders once every kPollIntervalMs while the window is shown.
struct FolderWatch::State : QObject {
    State(FolderWatch& watch, QWidget& window) : Watch(watch) {
        Timer.setInterval(kPollIntervalMs);
        QObject::connect(&Timer, &QTimer::timeout, this, [this] { LookAgain(); });
        window.installEventFilter(this);
        if (window.isVisible()) {
            Timer.start();
        }
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            Timer.start();
        } else if (event->type() == QEvent::Hide) {
            Timer.stop();
        }
        return QObject::eventFilter(object, event);
    }

    void LookAgain() {
        bool different = false;
        for (Sight& seen : Sights) {
            Sight now = Look(seen.Folder);
            if (now != seen) {
                seen = std::move(now);
                different = true;
            }
        }
        if (different) {
            emit Watch.Changed();
        }
    }

    FolderWatch& Watch;
    QTimer Timer;
    std::vector<Sight> Sights;
};

FolderWatch::FolderWatch(QWidget* window)
    : QObject(window), m_state(std::make_unique<State>(*this, *window)) {}

FolderWatch::~FolderWatch() = default;

void FolderWatch::SetFolders(const QStringList& folders) {
    std::vector<Sight> sights;
    sights.reserve(static_cast<std::size_t>(folders.size()));
    for (const QString& given : folders) {
        const QString folder = QDir::toNativeSeparators(given);
        const auto known =
            std::find_if(m_state->Sights.begin(), m_state->Sights.end(),
                         [&folder](const Sight& seen) { return seen.Folder == folder; });
        sights.push_back(known != m_state->Sights.end() ? *known : Look(folder));
    }
    m_state->Sights = std::move(sights);
}

} // namespace rz408
