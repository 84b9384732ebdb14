// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the system's signals do to a run: a stop removes the temporary files first, a write
// beyond the size limit fails, and the writing thread is never interrupted.

#include <functional>
#include <thread>

namespace rz408::fileops {

// From now on a write beyond the process's file-size limit fails with "File too large" for that
// file, instead of ending the program (SIGXFSZ on Linux; nothing to do on Windows). Every run
// calls it.
void FailWritesBeyondTheSizeLimit();

// Starts WORK on a thread of its own that no signal is delivered to (on Linux every signal is
// held back there), so that signals reach the threads they reached before, and the thread's
// calls are never cut short by one. Throws when no thread can be started.
std::thread StartQuietThread(std::function<void()> work);

// From now on, when the program is ended by a request to stop (Ctrl+C, a termination request,
// a closed terminal), the temporary files that exist at that moment are removed first, and the
// program then ends as the request would have ended it. A request ignored before the call stays
// ignored. Called once, at the program's start. Works at any length of the folder's path.
void RemoveTemporariesOnInterrupt();

} // namespace rz408::fileops
