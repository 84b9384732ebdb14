// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterRig.h"

#include <QTest>

namespace rz408::test {

ConverterRig::ConverterRig(const QStringList& driveRows, char start) {
    InstallProgramTexts(kGermanProfile, Module);
    for (const QString& row : driveRows) {
        const QStringList parts = row.split(QLatin1Char('|'));
        const QString letter = parts[0].left(1).toLower();
        QDir(Root.path()).mkpath(letter);
        WriteFile(Folder(letter) + QStringLiteral("/") + letter + QStringLiteral(".deu"),
                  QByteArray("x"));
        Drives.Drives.push_back(FakeDrive{parts[0].toStdString(),
                                          static_cast<DriveType>(parts[1].toUInt()),
                                          Folder(letter).toStdString()});
    }
    Drives.CurrentLetter = start;
    QDir::setCurrent(Folder(start));
    Form = std::make_unique<Form1>(Module, Services, Drives, Progress);
    File1().SetPattern(QStringLiteral("*.deu"));
    Drives.Queries.clear(); // the drive list's pictures asked for the types
}

ConverterRig::~ConverterRig() {
    QDir::setCurrent(PreviousCurrent);
}

bool ConverterRig::Show() const {
    Form->show();
    return QTest::qWaitForWindowExposed(Form.get());
}

bool ConverterRig::ShowActive() const {
    Form->show();
    return QTest::qWaitForWindowActive(Form.get());
}

QString ConverterRig::Folder(const QString& letter) const {
    return Root.path() + QStringLiteral("/") + letter;
}

} // namespace rz408::test
