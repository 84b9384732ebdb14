// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One converter window over a temporary folder and a made-up drive set, for the tests of the
// converter window; its message boxes are read and closed as a user does.

#include "FakeDrives.h"
#include "QtTestFiles.h"
#include "WindowTests.h"

#include "DirListBox.h"
#include "DriveListBox.h"
#include "FileListBox.h"
#include "Form1.h"
#include "LanguageProfile.h"
#include "Module1.h"
#include "WindowServices.h"

#include <QDir>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace rz408::test {

struct ConverterRig {
    // Each drive row "<entry>|<type of its bare root>" gets the folder Root/<letter> holding one
    // file <letter>.deu. The process's current folder is the folder of the drive START. The
    // window lists *.deu.
    explicit ConverterRig(const QStringList& driveRows = {QStringLiteral("c: [SYSTEM]|3")},
                          char start = 'c');
    ~ConverterRig();
    ConverterRig(const ConverterRig&) = delete;
    ConverterRig& operator=(const ConverterRig&) = delete;

    // The folder of the drive LETTER.
    QString Folder(const QString& letter) const;
    QString Folder(char letter) const { return Folder(QString(QLatin1Char(letter))); }

    // Shows the window and waits until it is exposed, or until it is the active window.
    bool Show() const;
    bool ShowActive() const;

    // The window's controls, by their objectName.
    DriveListBox& Drive1() const { return Control<DriveListBox>(*Form, QStringLiteral("Drive1")); }
    DirListBox& Dir1() const { return Control<DirListBox>(*Form, QStringLiteral("Dir1")); }
    FileListBox& File1() const { return Control<FileListBox>(*Form, QStringLiteral("File1")); }
    QPushButton& Button(const char* name) const {
        return Control<QPushButton>(*Form, QString::fromLatin1(name));
    }

    QTemporaryDir Root;
    FakeDrives Drives;
    Module1 Module;
    WindowServices Services;
    HeldProgress Progress;
    DialogCatcher Dialogs;
    QStringList& Messages = Dialogs.Messages;
    std::unique_ptr<Form1> Form;
    QString PreviousCurrent = QDir::currentPath();
};

} // namespace rz408::test
