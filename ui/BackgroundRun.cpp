// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackgroundRun.h"

#include "RunProgress.h"

#include <QMetaObject>

#include <exception>

namespace rz408 {

BackgroundRun::BackgroundRun(Module1& m, std::filesystem::path folder,
                             std::vector<std::string> names, const RunOptions& options,
                             RunProgress& progress)
    : m_module(m), m_folder(std::move(folder)), m_names(std::move(names)), m_options(options) {
    m_options.Cancel = &m_cancel;
    m_options.Progress = [this, &progress](std::size_t done, std::size_t listed) {
        m_done.store(done);
        progress.FileDone(done, listed);
    };
}

BackgroundRun::~BackgroundRun() {
    Wait();
}

void BackgroundRun::Start() {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::exception& e) {
        // No thread to be had: the run ends before its first file.
        m_stopped = QString::fromUtf8(e.what());
        QMetaObject::invokeMethod(this, &BackgroundRun::Finished, Qt::QueuedConnection);
    }
}

void BackgroundRun::Cancel() {
    m_cancel.store(true);
}

void BackgroundRun::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundRun::Run() {
    try {
        m_report = ConversionRun(m_module, m_folder, m_names, m_options);
    } catch (const std::exception& e) {
        // The run reports failed files itself; this is what stops it as a whole.
        m_stopped = QString::fromUtf8(e.what());
    } catch (...) {
        m_stopped = QStringLiteral("unknown error");
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            Wait();
            emit Finished();
        },
        Qt::QueuedConnection);
}

} // namespace rz408
