#include "DirListBox.h"

#include "DriveSystem.h"
#include "FsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <filesystem>
#include <system_error>

namespace rz408 {

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// Draws each entry indented by its depth in the tree, as the classic folder list does.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(index.data(kLevelRole).toInt() * kIndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) +
               QSize(index.data(kLevelRole).toInt() * kIndentPixels, 0);
    }
};

// True where FOLDER is a folder whose entries can be read.
bool CanOpen(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::directory_iterator probe(ToFsPath(folder), ec);
    return !ec;
}

// The folder and its ancestors, the root first ("/", "/home", "/home/anna").
QStringList Chain(const QString& folder) {
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

DirListBox::DirListBox(DriveSystem& drives, QWidget* parent)
    : QListWidget(parent), drives_(drives) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    // As the classic list: no sideways scrolling; a long name ends in "..." and its tooltip
    // holds the whole path.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
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
        // The folder asked for cannot be opened: stay where we are, unless the open folder
        // has gone too; then the nearest ancestor that still exists.
        QString fallback = path_;
        while (!Open(fallback)) {
            const QString up = Absolute(fallback + QStringLiteral("/.."));
            if (up == fallback) {
                break;
            }
            fallback = up;
        }
    }
    if (path_ != before) {
        emit Change();
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
    QListWidget::keyPressEvent(event);
}

bool DirListBox::Open(const QString& folder) {
    if (!CanOpen(folder)) {
        return false;
    }
    path_ = Absolute(folder);
    Fill();
    return true;
}

void DirListBox::Fill() {
    clear();
    entryPaths_.clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    const QStringList chain = Chain(path_);
    int level = 0;
    for (const QString& folder : chain) {
        const QString name =
            QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(open, name, this);
        item->setData(kLevelRole, level++);
        item->setToolTip(QDir::toNativeSeparators(folder));
        entryPaths_.append(folder);
    }
    openRow_ = static_cast<int>(chain.size()) - 1;

    const QDir dir(path_);
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, name, this);
        item->setData(kLevelRole, level);
        item->setToolTip(QDir::toNativeSeparators(dir.absoluteFilePath(name)));
        entryPaths_.append(dir.absoluteFilePath(name));
    }
    setCurrentRow(openRow_);
}

} // namespace rz408
