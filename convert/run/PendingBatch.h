// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The converted files whose copies wait for one flush to the disk before they take their
// targets' places.

#include "ConversionRun.h"
#include "LogFile.h"
#include "RunReport.h"
#include "TemporaryFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {

// The last line written of the last converted file that had lines, once there was one.
struct LastLine {
    bool Written = false;
    std::string Text;
};

// The converted files whose copies wait to take their targets' places. A copy's data is on the
// disk before its name points at it, so that a power cut leaves the old copy or the whole new
// one, on any file system. Flushing each copy to the disk by itself costs a disk round trip per
// file, many times the time of writing a small one; so they wait here, a batch at a time, for
// one flush of the file system. Only then does each copy replace its target, and only then does
// the file count as converted and its log record stay. A copy the disk refused (a thin or network
// volume that finds itself full only when the data arrives) is removed and reported, its old target
// and the log untouched by it. The waiting copies stay open, so that no other run takes them for
// leftovers.
class PendingBatch {
public:
    // The copies that take their places count in REPORT, and the last line of the last of them
    // that had lines goes to LAST_LINE.
    PendingBatch(const fileops::Folder& folder, LogFile& log, RunReport& report, LastLine& lastLine,
                 const RunOptions& options);

    PendingBatch(const PendingBatch&) = delete;
    PendingBatch& operator=(const PendingBatch&) = delete;

    // Takes over TEMPORARY, the copy of source NAME for TARGET_NAME; RECORD is the file's record
    // in the log, BYTES the copy's size; LAST_LINE the file's last line when it had lines;
    // UNICODE what the report lists when it takes its place, if anything. Throws (no memory)
    // only before taking anything over.
    void Add(std::string_view name, std::string_view targetName, Temporary& temporary,
             ByteRange record, std::uint64_t bytes, const std::string* lastLine,
             std::optional<UnicodeSource> unicode);

    bool Empty() const { return m_entries.empty(); }
    bool Full() const { return m_entries.size() >= m_files || m_pendingBytes >= m_bytes; }

    // Puts every waiting copy that reached the disk in its target's place, in the list's order.
    void Commit() noexcept;

private:
    struct Entry {
        std::string Name;
        std::string TargetName;
        Temporary Copy;
        ByteRange Record;
        bool HasLines = false;
        std::string LastLine;
        std::optional<UnicodeSource> Unicode;
    };

    const fileops::Folder& m_folder;
    LogFile& m_log;
    RunReport& m_report;
    LastLine& m_lastLine;
    const std::size_t m_files;   // a full batch: this many files
    const std::uint64_t m_bytes; // or this many bytes of copies
    std::vector<Entry> m_entries;
    std::vector<ByteRange> m_takenOut;
    std::uint64_t m_pendingBytes = 0;
};

// Failures that the waiting copies cause themselves: a full disk may have room again, and the
// program may open files again, once they have taken their places.
bool MayPassOnceTheBatchIsIn(const std::error_code& error);

} // namespace rz408
