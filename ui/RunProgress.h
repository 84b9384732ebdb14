// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How far the converter window's conversion run has come, carried from the run's thread to the
// window's, where the progress dialog of a long run shows it. One RunProgress is made by the
// program's entry and handed to the windows, as WindowServices is.

#include <QObject>

#include <atomic>
#include <cstddef>

namespace rz408 {

class RunProgress : public QObject {
    Q_OBJECT
public:
    explicit RunProgress(QObject* parent = nullptr);

    // Called on the run's thread after each listed file, converted or failed: DONE of the
    // LISTED files are done. Hands the count on to the window's thread (Progress); the run goes
    // on once this returns.
    virtual void FileDone(std::size_t done, std::size_t listed);

signals:
    // On the window's thread, some time after each file: the files done so far of those
    // listed. Counts that come faster than the window takes them are summed up in the latest.
    void Progress(std::size_t done, std::size_t listed);

private:
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_listed{0};
    std::atomic<bool> m_posted{false};
};

} // namespace rz408
