// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunProgress.h"

#include <QMetaObject>

namespace rz408 {

RunProgress::RunProgress(QObject* parent) : QObject(parent) {}

void RunProgress::FileDone(std::size_t done, std::size_t listed) {
    m_listed.store(listed);
    m_done.store(done);
    // One notice on its way at a time; it reads the latest count when it arrives.
    if (!m_posted.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_posted.store(false);
                emit Progress(m_done.load(), m_listed.load());
            },
            Qt::QueuedConnection);
    }
}

} // namespace rz408
