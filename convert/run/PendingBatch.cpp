// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingBatch.h"

#include "ReadWrite.h"
#include "RunFailures.h"

#include <algorithm>
#include <utility>

namespace rz408 {

PendingBatch::PendingBatch(const fileops::Folder& folder, LogFile& log, RunReport& report,
                           LastLine& lastLine, const RunOptions& options)
    : folder_(folder), log_(log), report_(report), lastLine_(lastLine),
      files_(std::max<std::size_t>(options.batchFiles, 1)), bytes_(options.batchBytes) {
    entries_.reserve(files_);
    takenOut_.reserve(files_);
}

void PendingBatch::Add(std::string_view name, std::string_view targetName, Temporary& temporary,
                       ByteRange record, std::uint64_t bytes, const std::string* lastLine,
                       std::optional<UnicodeSource> unicode) {
    std::string line = lastLine != nullptr ? *lastLine : std::string();
    Entry entry{std::string(name),   std::string(targetName), std::move(temporary), record,
                lastLine != nullptr, std::move(line),         std::move(unicode)};
    entries_.push_back(std::move(entry)); // room reserved: cannot fail
    pendingBytes_ += bytes;
}

void PendingBatch::Commit() noexcept {
    if (entries_.empty()) {
        return;
    }
    // Many copies are flushed by one flush of the file system, a single one (a large copy, the
    // last of a small folder) by itself, without waiting for what others wrote meanwhile.
    const bool allOnDisk = entries_.size() > 1 && !fileops::FlushFileSystem(folder_);
    for (Entry& entry : entries_) {
        std::error_code error;
        if (!allOnDisk) {
            error = fileops::FlushData(entry.temporary.File());
        }
        if (!error) {
            error = entry.temporary.Replace(entry.targetName);
        }
        if (error) {
            entry.temporary.Discard();
            AddFailure(report_.failures, entry.name, entry.targetName,
                       FileError{FileError::Side::Target, error});
            if (entry.record.end > entry.record.begin) {
                takenOut_.push_back(entry.record); // room reserved
            }
            continue;
        }
        ++report_.converted;
        if (entry.unicode) {
            try {
                report_.unicodeSources.push_back(std::move(*entry.unicode));
            } catch (...) { // no memory: the copy is in place all the same
            }
        }
        if (entry.hasLines) {
            lastLine_.text.swap(entry.lastLine);
            lastLine_.written = true;
        }
    }
    log_.TakeOut(takenOut_);
    entries_.clear();
    takenOut_.clear();
    pendingBytes_ = 0;
}

bool MayPassOnceTheBatchIsIn(const std::error_code& error) {
    return error == std::errc::no_space_on_device || error == std::errc::too_many_files_open ||
           error == std::errc::too_many_files_open_in_system;
}

} // namespace rz408
