// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Folder.h"
#include "Module1.h"
#include "RunReport.h"
#include "SourceEncoding.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// How a run reads and writes.
struct RunOptions {
    std::size_t BlockSize = 256 * 1024; // bytes read, and written, at a time
    // Every copy and the log are flushed to the disk before they replace the old files; the
    // copies in batches, by one flush of the file system for many of them, and then put in
    // their targets' places: a batch ends at this many files or bytes of copies, and at the end
    // of the run.
    std::size_t BatchFiles = 512;
    std::uint64_t BatchBytes = std::uint64_t{32} << 20;
    // Called on the run's thread after each listed file, converted or failed, with the number
    // of listed files done so far and the number listed.
    std::function<void(std::size_t done, std::size_t listed)> Progress;
    // Read before each listed file (from any thread): once true, the run converts no further
    // file; the files done so far take their places and the log is written for them.
    const std::atomic<bool>* Cancel = nullptr;
    // The encoding every source is read in. None: each source is read as UTF-8 or UTF-16 when
    // it begins with that encoding's byte-order mark, as UTF-8 when it is UTF-8 but for a few
    // broken sequences (Utf8Detector), and as Windows-1252 otherwise. A Unicode
    // source converts as the same text in Windows-1252 would; each character that Windows-1252
    // lacks becomes a blank, logged with '?' and its Unicode number.
    std::optional<SourceEncoding> Encoding;
};

// Converts every NAMES entry of FOLDER to its .txt target and writes the log file of the
// characters that became blanks. A file that fails is reported and the run goes on.
//
// Files: the run opens FOLDER once and works inside the folder it opened, whatever becomes of
// its path meanwhile (renamed, replaced by another folder or a link): it reads, writes and leaves
// nothing anywhere else. It first removes the temporary files that earlier runs which did not
// end normally (killed, a power cut) left in the folder, never those of a run still going on.
// The log file and each target are written to a hidden temporary file in FOLDER that takes the
// old file's place, by a rename over it, only when it was written and closed whole without
// error; whatever fails, the old file stays as it was and no temporary file is left (also when
// the program is stopped by a signal, once RemoveTemporariesOnInterrupt was called, at any length
// of the folder's path). Each copy and the log are on the disk before they take their places,
// so that after a power cut a target is the old copy or the whole new one, on any file system:
// the copies are flushed in batches, by one flush of the file system for many files (the write
// of a large copy to the disk starts while it is converted); a copy the disk refuses then (a thin
// volume, full only when the data arrives) fails, with its log record. A temporary file is its
// maker's alone until it is written. A copy that replaces a file keeps its access rights, and its
// owner and group where the program may (as root); set-ID bits stay only under the old owner and
// group. A write beyond the file-size limit fails that file ("File too large").
// A target that is a symbolic link is replaced, never written through; a folder in a target's
// place is a failure. A source is read only when it is a regular file (a FIFO or device named
// like a source is never read); a name that does not lead to one (a link leading nowhere or in a
// loop) fails with the reason.
//
// The log record of a file (its name in Windows-1252, " : ", its entries, CR LF) is written when
// at least one character of it became a blank, and stays only when its target took its place.
// A source whose target would be the log file itself (German "konvertionsfehler.deu") is not
// converted: it is reported as failed, and the log stays intact. When the log file cannot be
// written, that is reported under the log file's name, the old log stays, and the room its
// temporary file took is free again for the copies still to come.
//
// The program-wide variables, set once the run ends: FileLog holds the start of the log record of
// the last file the run read (its name and " : "; the entries went straight to the log file),
// CurrentLine the last line written of the last converted file that had lines (empty when that line
// was longer than 4 KiB), CharCode 256 once a line was converted; LineBefore is left as it was.
//
// No exception leaves the run.
RunReport ConversionRun(Module1& m, const std::filesystem::path& folder,
                        const std::vector<std::string>& names, const RunOptions& options = {});

// The same in a folder already open (fileops::OpenFolder or OpenSubfolder): the run works in that
// folder, found through its descriptor alone.
RunReport ConversionRun(Module1& m, const fileops::Folder& folder,
                        const std::vector<std::string>& names, const RunOptions& options = {});

// True when a source whose target is named TARGET_NAME would overwrite the log file
// LOG_FILE_NAME (compared as the file system compares names).
bool WouldOverwriteLog(std::string_view targetName, std::string_view logFileName);

// Makes a stop of the program by a signal (Ctrl+C, a termination request, a closed terminal)
// remove the run's temporary files before the program ends. The program calls it once at its
// start. (On Windows it does nothing; what a stop leaves there is hidden, and the next run in
// the folder removes it.)
void RemoveTemporariesOnInterrupt();

} // namespace rz408
