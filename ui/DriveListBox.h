// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drive list: one entry for every drive present when it is made, the current drive
// selected. With the keyboard focus it shows the focus frame around the selected drive.

#include <QComboBox>
#include <QString>

namespace rz408 {

class DriveSystem;

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(DriveSystem& drives, QWidget* parent = nullptr);

    // The selected drive as its entry reads ("c: [SYSTEM]", "a:").
    QString Drive() const;

    // Selects the drive whose letter TEXT starts with, in either case. Selecting another
    // drive raises Change, whose handlers run to their end before this returns; the drive
    // already selected, or a letter that names no drive, raises nothing.
    void SetDrive(const QString& text);

signals:
    // The selection changed, by the user or by SetDrive. Delivered at once (direct
    // connections only), inside the change that raised it.
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace rz408
