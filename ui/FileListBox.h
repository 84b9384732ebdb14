// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file list: the names of the ordinary files of one folder that match a wildcard pattern,
// in order of name, through the same folder listing as the conversion uses. Each entry's
// tooltip holds its whole name, which the list cuts short with "…" where it is too long.

#include "Controls.h"

#include <QString>

#include <string>
#include <vector>

namespace rz408 {

class FileListBox : public ListBox {
    Q_OBJECT
public:
    // The list shows every file of the process's current folder.
    explicit FileListBox(QWidget* parent = nullptr);

    // The folder shown; writing it refills the list at once.
    QString Path() const { return path_; }
    void setPath(const QString& path);

    // The wildcard pattern ("*.deu"); writing it refills the list at once. Before any pattern
    // is written the list shows every file.
    QString Pattern() const { return pattern_; }
    void setPattern(const QString& pattern);

    // The number of names shown, and the name at INDEX (from 0) without its folder.
    int ListCount() const;
    QString List(int index) const;

    // The names shown, as the file system holds them (UTF-8 bytes on Linux), in list order:
    // what the conversion opens, byte for byte.
    const std::vector<std::string>& Names() const { return names_; }

    // Reads the folder again; the selection stays on the name it was on where that is still
    // listed.
    void Refresh();

private:
    QString path_;
    QString pattern_;
    std::vector<std::string> names_;
};

} // namespace rz408
