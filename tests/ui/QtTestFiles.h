#pragma once

// Small helpers the window tests share: UTF-8 texts as QString, and whole files in and out.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <string_view>

namespace rz408::test {

inline QString Utf8Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Writes BYTES to PATH; a failure fails the calling test function.
inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The bytes of PATH, or "<missing>" when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray("<missing>");
    }
    return file.readAll();
}

} // namespace rz408::test
