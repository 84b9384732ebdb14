// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One conversion run on a thread of its own, so that the window's thread stays free to repaint
// and to answer while files are converted.

#include "Conversion.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace rz408 {

struct Module1;

class BackgroundRun : public QObject {
    Q_OBJECT
public:
    // The run of ConversionRun over NAMES in FOLDER with OPTIONS (its progress and cancel are
    // this object's own). M belongs to the run from Start until Finished. AFTER_FILE, where
    // given, is called on the run's thread after each listed file with the number done.
    BackgroundRun(Module1& m, std::filesystem::path folder, std::vector<std::string> names,
                  const RunOptions& options, std::function<void(std::size_t done)> afterFile);
    // Waits for the run's thread.
    ~BackgroundRun() override;

    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    void Start();

    // The run converts no further file: the file being written is finished, the files done
    // take their places, and the log is written for them.
    void Cancel();
    bool Cancelled() const { return cancel_.load(); }

    // The files done so far, and the files listed.
    std::size_t Done() const { return done_.load(); }
    std::size_t Listed() const { return names_.size(); }

    // Blocks until the run has ended.
    void Wait();

    // Once Finished: what the run did, and, should it have stopped early for lack of memory
    // or the like, the words of why (empty otherwise).
    const RunReport& Report() const { return report_; }
    const QString& Stopped() const { return stopped_; }

signals:
    // On the window's thread, some time after each file: the files done so far of those
    // listed. Progress that arrives faster than the window takes it is summed up.
    void Progress(std::size_t done, std::size_t listed);
    // On the window's thread, once the run has ended.
    void Finished();

private:
    void Run();

    Module1& module_;
    const std::filesystem::path folder_;
    const std::vector<std::string> names_;
    RunOptions options_;
    const std::function<void(std::size_t)> afterFile_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::size_t> done_{0};
    std::atomic<bool> progressPosted_{false};
    RunReport report_;
    QString stopped_;
    std::thread thread_;
};

} // namespace rz408
