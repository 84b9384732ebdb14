// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogFile.h"

#include "ReadWrite.h"
#include "RunFailures.h"

#include <algorithm>
#include <utility>

namespace rz408 {

LogFile::LogFile(const fileops::Folder& folder, std::string name,
                 std::vector<FileFailure>& failures, WriteBehind* behind)
    : m_name(std::move(name)), m_failures(failures), m_temporary(folder, behind) {
    Check(m_temporary.Create(m_name));
}

void LogFile::Rollback() {
    if (m_failed) {
        return;
    }
    if (m_committed >= m_written) {
        m_used = static_cast<std::size_t>(m_committed - m_written);
    } else {
        m_used = 0;
        Settle();
        if (!m_failed) {
            Check(fileops::TruncateTo(m_temporary.File(), m_committed));
        }
        m_written = m_committed;
    }
}

void LogFile::TakeOut(const std::vector<ByteRange>& ranges) noexcept {
    if (m_failed || ranges.empty()) {
        return;
    }
    WriteBuffer(false);
    {
        std::uint64_t to = ranges.front().Begin;
        for (std::size_t k = 0; k < ranges.size() && !m_failed; ++k) {
            const std::uint64_t until = k + 1 < ranges.size() ? ranges[k + 1].Begin : m_written;
            for (std::uint64_t from = ranges[k].End; from < until && !m_failed;) {
                std::size_t got = 0;
                const std::size_t size =
                    static_cast<std::size_t>(std::min<std::uint64_t>(until - from, kBuffer));
                if (Check(fileops::ReadAt(m_temporary.File(), from, m_buffer.Data(), size, got)) &&
                    Check(got == 0
                              ? std::make_error_code(std::errc::io_error)
                              : fileops::WriteAt(m_temporary.File(), to, m_buffer.Data(), got))) {
                    from += got;
                    to += got;
                }
            }
        }
        if (!m_failed && Check(fileops::TruncateTo(m_temporary.File(), to))) {
            m_written = m_committed = to;
        }
    }
}

void LogFile::Finish() {
    if (m_failed) {
        return;
    }
    WriteBuffer(false);
    if (!m_failed) {
        Check(fileops::FlushData(m_temporary.File())); // on the disk before its name points at it
    }
    if (!m_failed) {
        Check(m_temporary.Replace(m_name));
    }
}

void LogFile::WriteBuffer(bool later) {
    if (m_failed) {
        return;
    }
    if (Check(later ? m_temporary.WriteBlock(m_buffer, m_used, 0)
                    : m_temporary.Write(std::string_view(m_buffer.Data(), m_used)))) {
        m_written += m_used;
    }
    m_used = 0;
}

bool LogFile::Check(std::error_code error) {
    if (error && !m_failed) {
        m_failed = true;
        AddFailure(m_failures, m_name, error.message(), FileFailure::Kind::LogFile);
        m_temporary.Discard();
        m_buffer = ByteBlock();
        m_used = 0;
    }
    return !error;
}

} // namespace rz408
