// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The watch behind the converter window's lists: tells when entries come and go in a set of
// folders, or when one of them goes. Each system has its own (FolderWatch_<system>.cpp):
// Linux takes the system's notices; Windows looks at the folders once a second while the
// window is shown and holds nothing open on them, so that the player can still delete,
// rename and move his folders while the window shows one of them.

#include <QObject>
#include <QStringList>

#include <memory>

class QWidget;

namespace rz408 {

class FolderWatch : public QObject {
    Q_OBJECT
public:
    // Watches for WINDOW, whose child this becomes: where the watch has to look for itself,
    // it looks only while WINDOW is shown, and on being shown again tells of what changed
    // meanwhile.
    explicit FolderWatch(QWidget* window);
    ~FolderWatch() override;

    // Watches FOLDERS (either separator) from now on, in place of those before. Where the
    // watch looks for itself, a folder watched before and still in FOLDERS keeps what was
    // last seen of it: what changed there since still tells.
    void SetFolders(const QStringList& folders);

signals:
    // An entry came, went or was renamed in one of the folders, or one of them went. Several
    // changes may come as several signals.
    void Changed();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace rz408
