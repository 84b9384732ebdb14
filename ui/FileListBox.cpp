// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListBox.h"

#include "FolderListing.h"
#include "FsPath.h"

#include <QDir>
#include <QScrollBar>

#include <utility>

namespace rz408 {

namespace {
// Before any pattern the list shows every file, names without a dot included.
const QString kEveryFile = QStringLiteral("*");
} // namespace

FileListBox::FileListBox(QWidget* parent)
    : ListBox(parent), m_path(QDir::toNativeSeparators(QDir::currentPath())),
      m_pattern(kEveryFile) {
    setUniformItemSizes(true); // folders of many thousand files fill quickly
    Refresh();
}

void FileListBox::SetPath(const QString& path) {
    m_path = path;
    Refresh();
}

void FileListBox::SetPattern(const QString& pattern) {
    m_pattern = pattern;
    Refresh();
}

int FileListBox::ListCount() const {
    return static_cast<int>(m_names.size());
}

std::string FileListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) {
        return {};
    }
    return m_names[static_cast<std::size_t>(index)];
}

void FileListBox::Refresh() {
    std::vector<std::string> names = ListFolder(ToFsPath(m_path), m_pattern.toStdString());
    if (names == m_names) {
        return; // the same names: the entries, the selection and the scrolling stay as they are
    }
    m_names = std::move(names);
    const QString selected = currentItem() != nullptr ? currentItem()->text() : QString();
    const int scrolled = verticalScrollBar()->value();
    clear();
    for (const std::string& name : m_names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), this);
        item->setToolTip(item->text());
        if (!selected.isNull() && item->text() == selected) {
            setCurrentItem(item);
        }
    }
    verticalScrollBar()->setValue(scrolled);
}

} // namespace rz408
