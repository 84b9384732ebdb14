// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingBatch.h"

#include "ReadWrite.h"
#include "RunFailures.h"

#include <algorithm>
#include <utility>

namespace rz408 {

PendingBatch::PendingBatch(const fileops::Folder& folder, LogFile& log, RunReport& report,
                           LastLine& lastLine, const RunOptions& options)
    : m_folder(folder), m_log(log), m_report(report), m_lastLine(lastLine),
      m_files(std::max<std::size_t>(options.BatchFiles, 1)), m_bytes(options.BatchBytes) {
    m_entries.reserve(m_files);
    m_takenOut.reserve(m_files);
}

void PendingBatch::Add(std::string_view name, std::string_view targetName, Temporary& temporary,
                       ByteRange record, std::uint64_t bytes, const std::string* lastLine,
                       std::optional<UnicodeSource> unicode) {
    std::string line = lastLine != nullptr ? *lastLine : std::string();
    Entry entry{std::string(name),   std::string(targetName), std::move(temporary), record,
                lastLine != nullptr, std::move(line),         std::move(unicode)};
    m_entries.push_back(std::move(entry)); // room reserved: cannot fail
    m_pendingBytes += bytes;
}

void PendingBatch::Commit() noexcept {
    if (m_entries.empty()) {
        return;
    }
    // Many copies are flushed by one flush of the file system, a single one (a large copy, the
    // last of a small folder) by itself, without waiting for what others wrote meanwhile.
    const bool allOnDisk = m_entries.size() > 1 && !fileops::FlushFileSystem(m_folder);
    for (Entry& entry : m_entries) {
        std::error_code error;
        if (!allOnDisk) {
            error = fileops::FlushData(entry.Copy.File());
        }
        if (!error) {
            error = entry.Copy.Replace(entry.TargetName);
        }
        if (error) {
            entry.Copy.Discard();
            AddFailure(m_report.Failures, entry.Name, entry.TargetName,
                       FileError{FileError::Side::Target, error});
            if (entry.Record.End > entry.Record.Begin) {
                m_takenOut.push_back(entry.Record); // room reserved
            }
            continue;
        }
        ++m_report.Converted;
        if (entry.Unicode) {
            try {
                m_report.UnicodeSources.push_back(std::move(*entry.Unicode));
            } catch (...) { // no memory: the copy is in place all the same
            }
        }
        if (entry.HasLines) {
            m_lastLine.Text.swap(entry.LastLine);
            m_lastLine.Written = true;
        }
    }
    m_log.TakeOut(m_takenOut);
    m_entries.clear();
    m_takenOut.clear();
    m_pendingBytes = 0;
}

bool MayPassOnceTheBatchIsIn(const std::error_code& error) {
    return error == std::errc::no_space_on_device || error == std::errc::too_many_files_open ||
           error == std::errc::too_many_files_open_in_system;
}

} // namespace rz408
