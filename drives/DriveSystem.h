// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drives of the machine as the drive list shows them, and the drive-type query of the
// drive check, without Qt.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// The answers of the drive-type query, with the values of kernel32's GetDriveTypeA (its
// DriveType::Unknown, DriveType::NoRootDir, ... in this order).
enum class DriveType : std::uint32_t {
    Unknown = 0,   // the type cannot be determined
    NoRootDir = 1, // the text is no valid root path
    Removable = 2, // floppy, USB stick, memory card
    Fixed = 3,     // hard disk
    Remote = 4,    // network drive
    CdRom = 5,     // CD-ROM, DVD
    RamDisk = 6,   // RAM disk
};

// The drives present on this machine. One object per program run, made by MakeSystemDrives()
// and handed to the windows, which know the drives only through it.
//
// An entry is the text the drive list shows for one drive, UTF-8: the drive's letter and a
// colon, and for fixed disks, network drives and RAM disks a blank and a name in square
// brackets ("c: [SYSTEM]", "n: [\\server\share]"); removable and optical drives bare ("a:").
class DriveSystem {
public:
    virtual ~DriveSystem() = default;

    // The drive list's entries, in list order (by letter).
    virtual std::vector<std::string> DriveEntries() = 0;

    // The drive-type query: ROOT_TEXT is single-byte (Windows-1252) text ending in a
    // backslash, "c:\" for example. Answers DriveType::NoRootDir for a text that is not the
    // root of a present drive, whatever follows the colon.
    virtual DriveType GetDriveTypeA(std::string_view rootText) = 0;

    // The entry of the drive that holds the process's current folder.
    virtual std::string CurrentDrive() = 0;

    // The current folder of the drive that DRIVE_TEXT names by its first letter (an entry,
    // "C:", "d"): the process's current folder where it lies on that drive, else the drive's
    // root. Empty for a letter that names no present drive.
    virtual std::filesystem::path CurrentFolderOf(std::string_view driveText) = 0;
};

// The drives of the machine this runs on (DriveSystem_linux.cpp or DriveSystem_windows.cpp).
std::unique_ptr<DriveSystem> MakeSystemDrives();

// The query text of the drive check: the drive list's text followed by a backslash, encoded
// to single-byte Windows-1252 ("c: [SYSTEM]" -> "c: [SYSTEM]\").
std::string DriveQueryText(std::string_view driveText);

// The drive check's decision for the drive list's text DRIVE_TEXT (UTF-8): the query answers
// DriveType::NoRootDir for its query text. True for fixed disks, network drives and RAM disks,
// whose entries carry a bracketed name; false for removable and optical drives.
bool DriveCheckAccepts(DriveSystem& drives, std::string_view driveText);

// True when TEXT names a drive rather than a folder: a letter and a colon, alone or followed
// by a blank ("c:", "D:", "c: [SYSTEM]"); "C:\Games" and "/home" are folders.
bool IsDriveText(std::string_view text);

// The lower-case letter that TEXT starts with, or '\0' where it does not start with a letter.
char DriveLetterOf(std::string_view text);

} // namespace rz408
