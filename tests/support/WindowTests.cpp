// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowTests.h"

#include <QDir>
#include <QTest>
#include <QThread>

namespace rz408::test {

QStringList Entries(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        texts << list.item(i)->text();
    }
    return texts;
}

QStringList Tips(const QListWidget& list) {
    QStringList tips;
    for (int i = 0; i < list.count(); ++i) {
        tips << list.item(i)->toolTip();
    }
    return tips;
}

int RowOf(const QListWidget& list, const QString& folder) {
    return static_cast<int>(Tips(list).indexOf(QDir::toNativeSeparators(folder)));
}

bool ShowEntry(QListWidget& list, int row) {
    QListWidgetItem* entry = list.item(row);
    if (entry == nullptr) {
        return false;
    }
    list.scrollToItem(entry);
    // The list lays out its entries after the next turn of the event loop.
    return QTest::qWaitFor([&list, entry] {
        return list.viewport()->rect().contains(list.visualItemRect(entry).center());
    });
}

void HeldProgress::FileDone(std::size_t done, std::size_t listed) {
    RunProgress::FileDone(done, listed);
    m_offThread.store(QThread::currentThread() != qApp->thread());
    if (done == m_at.load()) {
        m_gate.tryAcquire(1, 10000);
    }
}

} // namespace rz408::test
