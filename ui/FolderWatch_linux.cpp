// SPDX-License-Identifier: GPL-3.0-or-later
// The folder watch on Linux: the system's notices, through QFileSystemWatcher.

#include "FolderWatch.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QWidget>

namespace rz408 {

struct FolderWatch::State {
    QFileSystemWatcher* Watcher;
};

FolderWatch::FolderWatch(QWidget* window)
    : QObject(window), m_state(new State{new QFileSystemWatcher(this)}) {
    connect(m_state->Watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::Changed);
}

FolderWatch::~FolderWatch() = default;

void FolderWatch::SetFolders(const QStringList& folders) {
    // Only the folders that leave or join the set change: the watch on a folder that stays is
    // kept, as is what it is about to tell.
    QFileSystemWatcher& watcher = *m_state->Watcher;
    QStringList paths;
    for (const QString& folder : folders) {
        paths << QDir::fromNativeSeparators(folder);
    }
    QStringList gone;
    for (const QString& watched : watcher.directories()) {
        if (!paths.contains(watched)) {
            gone << watched;
        }
    }
    if (!gone.isEmpty()) {
        watcher.removePaths(gone);
    }
    const QStringList watched = watcher.directories();
    QStringList added;
    for (const QString& path : paths) {
        if (!watched.contains(path)) {
            added << path;
        }
    }
    if (!added.isEmpty()) {
        watcher.addPaths(added);
    }
}

} // namespace rz408
