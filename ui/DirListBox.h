#pragma once

// The classic folder list: the open folder's ancestors from the root down, the open folder,
// then its subfolders, each indented one step deeper, with folder pictures. A double click or
// Enter on an entry opens that folder; selecting an entry opens nothing.

#include <QListWidget>
#include <QString>

namespace rz408 {

class DriveSystem;

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    // The list opens the process's current folder.
    explicit DirListBox(DriveSystem& drives, QWidget* parent = nullptr);

    // The full path of the open folder.
    QString Path() const;

    // Opens TEXT: a folder path, or a drive text as the drive list reads ("c: [SYSTEM]",
    // "C:"), which opens that drive's current folder. A path other than the open one raises
    // Change, whose handlers run to their end before this returns. A folder that cannot be
    // opened (gone, unreadable, no folder) leaves the open folder as it is and raises
    // nothing; should the open folder itself be gone, the list goes up to its nearest
    // ancestor that still exists.
    void setPath(const QString& text);

    // The folder that the list's entry ROW stands for (ancestors, open folder, subfolders);
    // empty for a row out of range.
    QString EntryPath(int row) const;

    // Opens the folder of entry ROW, as a double click or Enter on it does.
    void OpenEntry(int row);

    // The row of the open folder.
    int OpenRow() const { return openRow_; }

signals:
    // The open folder changed. Delivered at once, inside the change that raised it.
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Open(const QString& folder);
    void Fill();

    DriveSystem& drives_;
    QString path_;
    QStringList entryPaths_;
    int openRow_ = 0;
};

} // namespace rz408
