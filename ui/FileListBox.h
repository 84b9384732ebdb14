// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file list: the names of the ordinary files of one folder that match a wildcard pattern,
// in order of name, through the same folder listing as the conversion uses. Each entry's
// tooltip holds its whole name, which the list cuts short with "…" where it is too long.

#include "ListBox.h"

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
    QString Path() const { return m_path; }
    void SetPath(const QString& path);

    // Writes the wildcard pattern ("*.deu"); the list refills at once. Before any pattern is
    // written the list shows every file.
    void SetPattern(const QString& pattern);

    // The number of names listed, and the name at INDEX (from 0) without its folder, as the
    // file system holds it (on Linux its bytes, UTF-8 or not): what the conversion opens, byte
    // for byte. Empty for an index out of range.
    int ListCount() const;
    std::string List(int index) const;

    // Reads the folder again; the selection stays on the name it was on where that is still
    // listed.
    void Refresh();

private:
    QString m_path;
    QString m_pattern;
    std::vector<std::string> m_names;
};

} // namespace rz408
