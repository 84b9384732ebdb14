// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The marks of temporary files on Windows, for the _windows.cpp files of this folder alone.

#include "Win32.h"

#include <cstdint>
#include <string_view>

namespace rz408::fileops {

// A moment (seconds since 1970, UTC) as Windows keeps file times: 100-nanosecond steps since 1601.
LARGE_INTEGER FileTimeOf(std::int64_t seconds);

// The temporary file TEMPORARY_NAME carries the mark of this program (TemporaryMark) as its time
// of last access, which nothing but a program that asks for it sets to a moment ahead.
bool Marked(const FILETIME& accessed, std::string_view temporaryName);

} // namespace rz408::fileops
