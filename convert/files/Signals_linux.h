// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The table of temporary files that a stop removes, for the _linux.cpp files of this folder alone.

#include <csignal>

namespace rz408::fileops {

// Enters the temporary file NAME of the folder FOLDER (a descriptor) in the table that a stop by
// a signal removes, and takes it out again. The caller keeps the folder open meanwhile.
void RememberTemporary(int folder, const char* name) noexcept;
void ForgetTemporary(int folder, const char* name) noexcept;

// Holds back the stop signals while a temporary file is made and entered in the table, so that
// none can come between the two.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t m_before{};
};

} // namespace rz408::fileops
