// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The log file of a conversion run, written in place of the old one only when it is whole.

#include "RunReport.h"
#include "TemporaryFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {

// A stretch of the log file: one file's record.
struct ByteRange {
    std::uint64_t Begin = 0;
    std::uint64_t End = 0;
};

// The log file. It is written to a temporary file that takes the old log's place only when
// the run has written all of it and it is on the disk; a log that cannot be written is reported
// once (under the log file's name), leaves the old log as it was, and its temporary file is
// removed at once, so that it takes no room from the copies still to come. The record of the
// file being converted is kept apart until that file is done: committed when its copy was written
// whole, taken back otherwise; a committed record whose copy then cannot take its target's
// place is taken out again (TakeOut).
class LogFile {
public:
    // With BEHIND, full buffers are written on its thread.
    LogFile(const fileops::Folder& folder, std::string name, std::vector<FileFailure>& failures,
            WriteBehind* behind = nullptr);

    void Write(std::string_view bytes) {
        while (!m_failed && !bytes.empty()) {
            const std::size_t size = std::min(bytes.size(), m_buffer.Size() - m_used);
            std::memcpy(m_buffer.Data() + m_used, bytes.data(), size);
            m_used += size;
            bytes.remove_prefix(size);
            if (m_used == m_buffer.Size()) {
                WriteBuffer(true);
            }
        }
    }

    // Where the next record starts (between files).
    std::uint64_t Position() const { return m_written + m_used; }

    // Takes note of the writes of the buffers handed over so far: waits for them, and reports a
    // failed one now.
    void Settle() { Check(m_temporary.Settle()); }

    void Commit() { m_committed = Position(); }

    void Rollback();

    // Takes the records RANGES (in order, between files) out of the log: the records behind
    // each move down over it.
    void TakeOut(const std::vector<ByteRange>& ranges) noexcept;

    void Finish();

private:
    static constexpr std::size_t kBuffer = 256 * 1024;

    // Writes the buffer: hands it over to be written later (by the WriteBehind, if any), or
    // writes it at once, behind everything handed over.
    void WriteBuffer(bool later);
    bool Check(std::error_code error);

    std::string m_name;
    std::vector<FileFailure>& m_failures;
    Temporary m_temporary;
    bool m_failed = false;
    ByteBlock m_buffer{kBuffer};
    std::size_t m_used = 0;        // bytes of m_buffer not written yet
    std::uint64_t m_written = 0;   // bytes in the file, or handed over to be written
    std::uint64_t m_committed = 0; // bytes of finished records
};

} // namespace rz408
