// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackgroundRun.h"

#include <QMetaObject>

#include <exception>

namespace rz408 {

BackgroundRun::BackgroundRun(Module1& m, std::filesystem::path folder,
                             std::vector<std::string> names, const RunOptions& options,
                             std::function<void(std::size_t)> afterFile)
    : module_(m), folder_(std::move(folder)), names_(std::move(names)), options_(options),
      afterFile_(std::move(afterFile)) {
    options_.cancel = &cancel_;
    options_.progress = [this](std::size_t done, std::size_t) {
        done_.store(done);
        // One notice on its way at a time; it reads the latest count when it arrives.
        if (!progressPosted_.exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    progressPosted_.store(false);
                    emit Progress(done_.load(), names_.size());
                },
                Qt::QueuedConnection);
        }
        if (afterFile_) {
            afterFile_(done);
        }
    };
}

BackgroundRun::~BackgroundRun() {
    Wait();
}

void BackgroundRun::Start() {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::exception& e) {
        // No thread to be had: the run ends before its first file.
        stopped_ = QString::fromUtf8(e.what());
        QMetaObject::invokeMethod(this, &BackgroundRun::Finished, Qt::QueuedConnection);
    }
}

void BackgroundRun::Cancel() {
    cancel_.store(true);
}

void BackgroundRun::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void BackgroundRun::Run() {
    try {
        report_ = ConversionRun(module_, folder_, names_, options_);
    } catch (const std::exception& e) {
        // The run reports failed files itself; this is what stops it as a whole.
        stopped_ = QString::fromUtf8(e.what());
    } catch (...) {
        stopped_ = QStringLiteral("unknown error");
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
