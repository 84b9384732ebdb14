// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirListBox.h"

#include "DriveSystem.h"
#include "FocusFrame.h"
#include "FsPath.h"
#include "Pictures.h"

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

DirListBox::DirListBox(DriveSystem& drives, QWidget* parent) : ListBox(parent), m_drives(drives) {
    LoadPictures();
    setItemDelegate(new IndentDelegate(this)); // a long name's tooltip holds the whole path
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenEntry(row(item)); });
    if (!Open(QDir::currentPath())) {
        Open(QDir::rootPath());
    }
}

QString DirListBox::Path() const {
    return QDir::toNativeSeparators(m_path);
}

void DirListBox::SetPath(const QString& text) {
    QString folder = text;
    const std::string utf8 = text.toStdString();
    if (IsDriveText(utf8)) {
        const std::filesystem::path current = m_drives.CurrentFolderOf(utf8);
        if (current.empty()) {
            return;
        }
        folder = FromFsPath(current);
    }
    const QString before = m_path;
    if (!Open(folder)) {
        // The folder asked for cannot be opened: say why, and stay where the list is, unless
        // the open folder has gone too.
        const std::error_code why = WhyNotOpen(folder);
        emit OpenFailed(QDir::toNativeSeparators(Absolute(folder)),
                        QString::fromLocal8Bit(why.message()));
        if (WhyNotOpen(m_path)) {
            Reopen();
        }
    }
    if (m_path != before) {
        emit Change();
    }
}

void DirListBox::Refresh() {
    const QString before = m_path;
    const QString selected = m_entryPaths.value(currentRow());
    const int scrolled = verticalScrollBar()->value();
    Reopen();
    const qsizetype row = m_entryPaths.indexOf(selected);
    if (row >= 0) {
        setCurrentRow(static_cast<int>(row));
    }
    if (m_path == before) {
        verticalScrollBar()->setValue(scrolled);
    } else {
        emit Change();
    }
}

QStringList DirListBox::Chain() const {
    return m_entryPaths.mid(0, m_openRow + 1);
}

void DirListBox::Reopen() {
    QString folder = m_path;
    while (!Open(folder)) {
        const QString up = Absolute(folder + QStringLiteral("/.."));
        if (up == folder) {
            return;
        }
        folder = up;
    }
}

void DirListBox::OpenEntry(int row) {
    if (row >= 0 && row < m_entryPaths.size()) {
        SetPath(m_entryPaths[row]);
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
    const QString before = m_path;
    m_path = Absolute(folder);
    Fill();
    if (m_path != before) {
        setCurrentRow(m_openRow);
    }
    return true;
}

void DirListBox::Fill() {
    // The entries the list is to show: the chain open, then the subfolders shut, each at its
    // depth.
    struct Entry {
        QString Path;
        int Level;
        bool Open;
    };
    std::vector<Entry> wanted;
    const QStringList chain = FolderChain(m_path);
    for (const QString& folder : chain) {
        wanted.push_back({folder, static_cast<int>(wanted.size()), true});
    }
    const int subLevel = static_cast<int>(chain.size());
    const QDir dir(m_path);
    for (const QString& name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        wanted.push_back({dir.absoluteFilePath(name), subLevel, false});
    }
    m_openRow = static_cast<int>(chain.size()) - 1;

    // Rows that stay are left in place, so that a click on one of them, a double click half
    // done, the selection and the scrolling outlast a read of the same folder: only the rows
    // that went are taken out and those that came are put in. Both lists are in the same
    // order, so the rows that stay come in the order wanted.
    const auto key = [](const QString& path, int level, bool open) {
        return QStringLiteral("%1|%2|").arg(level).arg(open) + path;
    };
    const auto rowKey = [this, &key](int row) {
        return key(m_entryPaths[row], item(row)->data(kLevelRole).toInt(),
                   item(row)->data(kOpenRole).toBool());
    };
    QSet<QString> wantedKeys;
    for (const Entry& entry : wanted) {
        wantedKeys.insert(key(entry.Path, entry.Level, entry.Open));
    }
    for (int row = count() - 1; row >= 0; --row) {
        if (!wantedKeys.contains(rowKey(row))) {
            delete takeItem(row);
            m_entryPaths.removeAt(row);
        }
    }
    const QIcon open(QStringLiteral(":/pictures/folder-open.png"));
    const QIcon closed(QStringLiteral(":/pictures/folder-closed.png"));
    for (int row = 0; row < static_cast<int>(wanted.size()); ++row) {
        const Entry& entry = wanted[static_cast<std::size_t>(row)];
        if (row < count() && rowKey(row) == key(entry.Path, entry.Level, entry.Open)) {
            continue;
        }
        const QString name = QDir(entry.Path).isRoot() ? QDir::toNativeSeparators(entry.Path)
                                                       : QFileInfo(entry.Path).fileName();
        auto* added = new QListWidgetItem(entry.Open ? open : closed, name);
        added->setData(kLevelRole, entry.Level);
        added->setData(kOpenRole, entry.Open);
        added->setToolTip(QDir::toNativeSeparators(entry.Path));
        insertItem(row, added);
        m_entryPaths.insert(row, entry.Path);
    }
}

} // namespace rz408
