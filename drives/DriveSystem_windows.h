// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drives of a Windows machine as the drive list shows them. What the system tells
// of a drive is gathered first (WindowsDriveFacts); the entry text is made from those facts
// alone.

#include "DriveSystem.h"

#include <cstdint>
#include <string>

namespace rz408 {

// What the system tells of one drive.
struct WindowsDriveFacts {
    char Letter = 'c';                 // lower case
    DriveType Type = DriveType::Fixed; // GetDriveTypeW of its root
    std::string Label;                 // the volume label, UTF-8; empty where there is none
    std::string Remote;                // a network drive's share path ("\\server\games"), UTF-8
};

// The drive list's entry: the letter and a colon, and for a fixed disk its label in square
// brackets ("c: [SYSTEM]", "c: [Local Disk]" where the disk has no label), for a network drive
// its share path ("n: [\\server\games]"), for a RAM disk its label ("r: [RAM Disk]" where it
// has none); removable and optical drives, and drives of no known type, bare ("a:").
std::string WindowsDriveEntry(const WindowsDriveFacts& facts);

} // namespace rz408
