// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The marks of temporary files on Linux, for the _linux.cpp files of this folder alone.

#include <cstdint>
#include <string_view>
#include <sys/stat.h>

namespace rz408::fileops {

// A temporary file is marked as in use by an exclusive lock (flock) on its open file, which the
// system lifts when the file is closed or the program ends, and as the program's own by its time
// of last access (TemporaryMark). The mark is set only once the lock is held, and taken off
// before the file is closed: a marked file whose lock can be taken belongs to a run that is gone.
// No lock of the folder is needed for that, so nobody who can read the folder can make a run
// wait. A file that cannot be locked (some network file systems) gets no mark, and stays.
bool SetAccessTime(int fd, std::int64_t seconds);

bool Marked(const struct stat& info, std::string_view temporaryName);

void TakeMarkOff(int fd);

} // namespace rz408::fileops
