// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The folder list: the open folder's ancestors from the root down, the open folder, then its
// subfolders, each indented one step deeper. The open folder and its ancestors show an open
// folder's picture, the subfolders a shut one. Each entry's tooltip holds the whole path of its
// folder. A double click or Enter on an entry opens that folder; selecting an entry opens nothing.

#include "ListBox.h"

#include <QString>

namespace rz408 {

class DriveSystem;

class DirListBox : public ListBox {
    Q_OBJECT
public:
    // The list opens the process's current folder.
    explicit DirListBox(DriveSystem& drives, QWidget* parent = nullptr);

    // The full path of the open folder.
    QString Path() const;

    // Opens TEXT: a folder path, or a drive text as the drive list reads ("c: [SYSTEM]",
    // "C:"), which opens that drive's current folder. A path other than the open one raises
    // Change, whose handlers run to their end before this returns. A folder that cannot be
    // opened (gone, unreadable, no folder) raises OpenFailed and leaves the list as it is;
    // should the open folder itself be gone, the list goes up to its nearest ancestor that
    // still exists (and raises Change).
    void SetPath(const QString& text);

    // Reads the open folder again: its subfolders as they are now, the selection kept on the
    // entry it was on where that is still there. Should the open folder be gone, the list goes
    // up to its nearest ancestor that still exists and raises Change.
    void Refresh();

    // The folders shown as the open folder's chain, the root first: the open folder and its
    // ancestors.
    QStringList Chain() const;

signals:
    // The open folder changed. Delivered at once, inside the change that raised it.
    void Change();
    // FOLDER (native separators) was asked to open and cannot be; REASON is the system's.
    void OpenFailed(const QString& folder, const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Opens the folder of entry ROW, as a double click or Enter on it does.
    void OpenEntry(int row);
    // Opens FOLDER; false (and the list unchanged) when it cannot be read.
    bool Open(const QString& folder);
    // Opens the open folder again, or its nearest ancestor that still exists.
    void Reopen();
    // Shows the open folder's chain and subfolders as they are now; rows that stay are kept.
    void Fill();

    DriveSystem& m_drives;
    QString m_path;
    QStringList m_entryPaths;
    int m_openRow = 0;
};

} // namespace rz408
