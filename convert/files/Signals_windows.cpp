// SPDX-License-Identifier: GPL-3.0-or-later
#include "Signals.h"

#include <utility>

namespace rz408::fileops {

// No signal ends a program for writing a large file here.
void FailWritesBeyondTheSizeLimit() {}

std::thread StartQuietThread(std::function<void()> work) {
    return std::thread(std::move(work)); // Windows delivers no signals to threads
}

// Nothing to do here: a console's Ctrl+C ends the program from a thread of its own while the
// run goes on writing, and the open temporary file could not be deleted then. What a stop
// leaves behind is hidden, so neither the file list nor a listing shows it, and the next run in
// the folder removes it (RemoveLeftovers).
void RemoveTemporariesOnInterrupt() {}

} // namespace rz408::fileops
