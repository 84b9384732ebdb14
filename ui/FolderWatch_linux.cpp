// SPDX-License-Identifier: GPL-3.0-or-later
// The folder watch on Linux: the system's notices, through QFileSystemWatcher.

#include "FolderWatch.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QWidget>

namespace rz408 {

struct FolderWatch::State {
    QFileSystemWatcher* watcher;
};

FolderWatch::FolderWatch(QWidget* window)
    : QObject(window), state_(new State{new QFileSystemWatcher(this)}) {
    connect(state_->watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::changed);
}

FolderWatch::~FolderWatch() = default;

void FolderWatch::setFolders(const QStringList& folders) {
    QFileSystemWatcher& watcher = *state_->watcher;
    const QStringList watched = watcher.directories();
    if (!watched.isEmpty()) {
        watcher.removePaths(watched);
    }
    QStringList paths;
    for (const QString& folder : folders) {
        paths << QDir::fromNativeSeparators(folder);
    }
    if (!paths.isEmpty()) {
        watcher.addPaths(paths);
    }
}

} // namespace rz408
