// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriveListBox.h"

#include "DriveSystem.h"
#include "FocusFrame.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace rz408 {

namespace {

QStyle::StandardPixmap DrivePicture(DriveType type) {
    switch (type) {
    case DriveType::Removable:
        return QStyle::SP_DriveFDIcon;
    case DriveType::Remote:
        return QStyle::SP_DriveNetIcon;
    case DriveType::CdRom:
        return QStyle::SP_DriveCDIcon;
    default:
        return QStyle::SP_DriveHDIcon;
    }
}

int IndexOfLetter(const QComboBox& list, char letter) {
    for (int i = 0; i < list.count(); ++i) {
        if (DriveLetterOf(list.itemText(i).toStdString()) == letter) {
            return i;
        }
    }
    return -1;
}

} // namespace

DriveListBox::DriveListBox(DriveSystem& drives, QWidget* parent) : QComboBox(parent) {
    for (const std::string& entry : drives.DriveEntries()) {
        const std::string root{entry.empty() ? 'c' : entry.front(), ':', '\\'};
        addItem(style()->standardIcon(DrivePicture(drives.GetDriveTypeA(root))),
                QString::fromStdString(entry));
    }
    const int current = IndexOfLetter(*this, DriveLetterOf(drives.CurrentDrive()));
    setCurrentIndex(current >= 0 ? current : 0);
    // Connected only now: making the list raises no Change.
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Change,
            Qt::DirectConnection);
}

QString DriveListBox::Drive() const {
    return currentText();
}

void DriveListBox::paintEvent(QPaintEvent* event) {
    QComboBox::paintEvent(event);
    if (hasFocus()) {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        QPainter painter(this);
        DrawFocusFrame(painter,
                       style()->subControlRect(QStyle::CC_ComboBox, &option,
                                               QStyle::SC_ComboBoxEditField, this),
                       palette());
    }
}

void DriveListBox::SetDrive(const QString& text) {
    const int index = IndexOfLetter(*this, DriveLetterOf(text.toStdString()));
    if (index >= 0 && index != currentIndex()) {
        setCurrentIndex(index);
    }
}

} // namespace rz408
