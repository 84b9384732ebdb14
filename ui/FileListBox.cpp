// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListBox.h"

#include "Controls.h"
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
    : ListBox(parent), path_(QDir::toNativeSeparators(QDir::currentPath())), pattern_(kEveryFile) {
    setUniformItemSizes(true); // folders of many thousand files fill quickly
    Refresh();
}

void FileListBox::setPath(const QString& path) {
    path_ = path;
    Refresh();
}

void FileListBox::setPattern(const QString& pattern) {
    pattern_ = pattern;
    Refresh();
}

int FileListBox::ListCount() const {
    return static_cast<int>(names_.size());
}

QString FileListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) {
        return {};
    }
    return QString::fromStdString(names_[static_cast<std::size_t>(index)]);
}

void FileListBox::Refresh() {
    std::vector<std::string> names = ListFolder(ToFsPath(path_), pattern_.toStdString());
    if (names == names_) {
        return; // the same names: the entries, the selection and the scrolling stay as they are
    }
    names_ = std::move(names);
    const QString selected = currentItem() != nullptr ? currentItem()->text() : QString();
    const int scrolled = verticalScrollBar()->value();
    clear();
    for (const std::string& name : names_) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), this);
        item->setToolTip(item->text());
        if (!selected.isNull() && item->text() == selected) {
            setCurrentItem(item);
        }
    }
    verticalScrollBar()->setValue(scrolled);
}

} // namespace rz408
