// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirListBox.h"

#include "Controls.h"
#include "DriveSystem.h"
#include "FsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSet>

#include <filesystem>
#include <system_error>
#include <vector>

namespace rz408 {

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kOpenRole = Qt::UserRole + 2; // the open folder or one of its ancestors
constexpr int kIndentPixels = 8;

// Draws each entry indented by its depth in the tree, and the focus frame around the current
// entry.
class IndentDelegate : public FocusFrameDelegate {
public:
    using FocusFrameDelegate::FocusFrameDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(index.data(kLevelRole).toInt() * kIndentPixels, 0, 0, 0);
        FocusFrameDelegate::paint(painter, shifted, index);
    }
};

// Why the entries of FOLDER cannot be read; no error where they can.
std::error_code WhyNotOpen(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.exists()) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (!info.isDir()) {
        return std::make_error_code(std::errc::not_a_directory);
    }
    std::error_code ec;
    std::filesystem::directory_iterator probe(ToFsPath(folder), ec);
    return ec;
}

// The folder and its ancestors, the root first ("/", "/home", "/home/anna").
QStringList FolderChain(const QString& folder) {
    QStringList chain;
    QDir dir(folder);
    chain.prepend(dir.absolutePath());
    while (!dir.isRoot() && dir.cdUp()) {
        chain.prepend(dir.absolutePath());
    }
    return chain;
}

QString Absolute(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

} // namespace

DirListBox::DirListBox(DriveSystem& drives, QWidget* parent) : ListBox(parent), drives_(drives) {
    LoadPictures();
    setItemDelegate(new IndentDelegate(this)); // a long name's tooltip holds the whole path
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenEntry(row(item)); });
    if (!Open(QDir::currentPath())) {
        Open(QDir::rootPath());
    }
}

QString DirListBox::Path() const {
    return QDir::toNativeSeparators(path_);
}

void DirListBox::setPath(const QString& text) {
    QString folder = text;
    const std::string utf8 = text.toStdString();
    if (IsDriveText(utf8)) {
        const std::filesystem::path current = drives_.CurrentFolderOf(utf8);
        if (current.empty()) {
            return;
        }
        folder = FromFsPath(current);
    }
    const QString before = path_;
    if (!Open(folder)) {
        // The folder asked for cannot be opened: say why, and stay where the list is, unless
        // the open folder has gone too.
        const std::error_code why = WhyNotOpen(folder);
        emit OpenFailed(QDir::toNativeSeparators(Absolute(folder)),
                        QString::fromLocal8Bit(why.message()));
        if (WhyNotOpen(path_)) {
            Reopen();
        }
    }
    if (path_ != before) {
        emit Change();
    }
}

void DirListBox::Refresh() {
    const QString before = path_;
    const QString selected = entryPaths_.value(currentRow());
    const int scrolled = verticalScrollBar()->value();
    Reopen();
    const qsizetype row = entryPaths_.indexOf(selected);
    if (row >= 0) {
        setCurrentRow(static_cast<int>(row));
    }
    if (path_ == before) {
        verticalScrollBar()->setValue(scrolled);
    } else {
        emit Change();
    }
}

QStringList DirListBox::Chain() const {
    return entryPaths_.mid(0, openRow_ + 1);
}

void DirListBox::Reopen() {
    QString folder = path_;
    while (!Open(folder)) {
        const QString up = Absolute(folder + QStringLiteral("/.."));
        if (up == folder) {
            return;
        }
        folder = up;
    }
}

QString DirListBox::EntryPath(int row) const {
    if (row < 0 || row >= entryPaths_.size()) {
        return {};
    }
    return QDir::toNativeSeparators(entryPaths_[row]);
}

void DirListBox::OpenEntry(int row) {
    if (row >= 0 && row < entryPaths_.size()) {
        setPath(entryPaths_[row]);
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenEntry(currentRow());
        event->accept();
        return;
    }
    ListBox::keyPressEvent(event);
}

bool DirListBox::Open(const QString& folder) {
    if (WhyNotOpen(folder)) {
        return false;
    }
    const QString before = path_;
    path_ = Absolute(folder);
    Fill();
    if (path_ != before) {
        setCurrentRow(openRow_);
    }
    return true;
}

void DirListBox::Fill() {
    // The entries the list is to show: the chain open, then the subfolders shut, each at its
    // depth.
    struct Entry {
        QString path;
        int level;
        bool open;
    };
    std::vector<Entry> wanted;
    const QStringList chain = FolderChain(path_);
    for (const QString& folder : chain) {
        wanted.push_back({folder, static_cast<int>(wanted.size()), true});
    }
    const int subLevel = static_cast<int>(chain.size());
    const QDir dir(path_);
    for (const QString& name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        wanted.push_back({dir.absoluteFilePath(name), subLevel, false});
    }
    openRow_ = static_cast<int>(chain.size()) - 1;

    // Rows that stay are left in place, so that a click on one of them, a double click half
    // done, the selection and the scrolling outlast a read of the same folder: only the rows
    // that went are taken out and those that came are put in. Both lists are in the same
    // order, so the rows that stay come in the order wanted.
    const auto key = [](const QString& path, int level, bool open) {
        return QStringLiteral("%1|%2|").arg(level).arg(open) + path;
    };
    const auto rowKey = [this, &key](int row) {
        return key(entryPaths_[row], item(row)->data(kLevelRole).toInt(),
                   item(row)->data(kOpenRole).toBool());
    };
    QSet<QString> wantedKeys;
    for (const Entry& entry : wanted) {
        wantedKeys.insert(key(entry.path, entry.level, entry.open));
    }
    for (int row = count() - 1; row >= 0; --row) {
        if (!wantedKeys.contains(rowKey(row))) {
            delete takeItem(row);
            entryPaths_.removeAt(row);
        }
    }
    const QIcon open(QStringLiteral(":/pictures/folder-open.png"));
    const QIcon closed(QStringLiteral(":/pictures/folder-closed.png"));
    for (int row = 0; row < static_cast<int>(wanted.size()); ++row) {
        const Entry& entry = wanted[static_cast<std::size_t>(row)];
        if (row < count() && rowKey(row) == key(entry.path, entry.level, entry.open)) {
            continue;
        }
        const QString name = QDir(entry.path).isRoot() ? QDir::toNativeSeparators(entry.path)
                                                       : QFileInfo(entry.path).fileName();
        auto* added = new QListWidgetItem(entry.open ? open : closed, name);
        added->setData(kLevelRole, entry.level);
        added->setData(kOpenRole, entry.open);
        added->setToolTip(QDir::toNativeSeparators(entry.path));
        insertItem(row, added);
        entryPaths_.insert(row, entry.path);
    }
}

} // namespace rz408
