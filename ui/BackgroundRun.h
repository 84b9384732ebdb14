// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One conversion run on a thread of its own, so that the window's thread stays free to repaint
// and to answer while files are converted.

#include "ConversionRun.h"
#include "Module1.h"
#include "RunReport.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace rz408 {

struct Module1;
class RunProgress;

class BackgroundRun : public QObject {
    Q_OBJECT
public:
    // The run of ConversionRun over NAMES in FOLDER with OPTIONS (its progress and cancel are
    // this object's own). M belongs to the run from Start until Finished. PROGRESS hears, on
    // the run's thread, of each listed file done.
    BackgroundRun(Module1& m, std::filesystem::path folder, std::vector<std::string> names,
                  const RunOptions& options, RunProgress& progress);
    // Waits for the run's thread.
    ~BackgroundRun() override;

    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    void Start();

    // The run converts no further file: the file being written is finished, the files done
    // take their places, and the log is written for them.
    void Cancel();

    // The files done so far, and the files listed.
    std::size_t Done() const { return m_done.load(); }
    std::size_t Listed() const { return m_names.size(); }

    // Blocks until the run has ended.
    void Wait();

    // Once Finished: what the run did, and, should it have stopped early for lack of memory
    // or the like, the words of why (empty otherwise).
    const RunReport& Report() const { return m_report; }
    const QString& Stopped() const { return m_stopped; }

signals:
    // On the window's thread, once the run has ended.
    void Finished();

private:
    void Run();

    Module1& m_module;
    const std::filesystem::path m_folder;
    const std::vector<std::string> m_names;
    RunOptions m_options;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::size_t> m_done{0};
    RunReport m_report;
    QString m_stopped;
    std::thread m_thread;
};

} // namespace rz408
