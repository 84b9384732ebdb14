// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogFile.h"

#include "ReadWrite.h"
#include "RunFailures.h"

#include <algorithm>
#include <utility>

namespace rz408 {

LogFile::LogFile(const fileops::Folder& folder, std::string name,
                 std::vector<FileFailure>& failures, WriteBehind* behind)
    : name_(std::move(name)), failures_(failures), temporary_(folder, behind) {
    Check(temporary_.Create(name_));
}

void LogFile::Rollback() {
    if (failed_) {
        return;
    }
    if (committed_ >= written_) {
        used_ = static_cast<std::size_t>(committed_ - written_);
    } else {
        used_ = 0;
        Settle();
        if (!failed_) {
            Check(fileops::TruncateTo(temporary_.File(), committed_));
        }
        written_ = committed_;
    }
}

void LogFile::TakeOut(const std::vector<ByteRange>& ranges) noexcept {
    if (failed_ || ranges.empty()) {
        return;
    }
    WriteBuffer(false);
    {
        std::uint64_t to = ranges.front().begin;
        for (std::size_t k = 0; k < ranges.size() && !failed_; ++k) {
            const std::uint64_t until = k + 1 < ranges.size() ? ranges[k + 1].begin : written_;
            for (std::uint64_t from = ranges[k].end; from < until && !failed_;) {
                std::size_t got = 0;
                const std::size_t size =
                    static_cast<std::size_t>(std::min<std::uint64_t>(until - from, kBuffer));
                if (Check(fileops::ReadAt(temporary_.File(), from, buffer_.Data(), size, got)) &&
                    Check(got == 0
                              ? std::make_error_code(std::errc::io_error)
                              : fileops::WriteAt(temporary_.File(), to, buffer_.Data(), got))) {
                    from += got;
                    to += got;
                }
            }
        }
        if (!failed_ && Check(fileops::TruncateTo(temporary_.File(), to))) {
            written_ = committed_ = to;
        }
    }
}

void LogFile::Finish() {
    if (failed_) {
        return;
    }
    WriteBuffer(false);
    if (!failed_) {
        Check(fileops::FlushData(temporary_.File())); // on the disk before its name points at it
    }
    if (!failed_) {
        Check(temporary_.Replace(name_));
    }
}

void LogFile::WriteBuffer(bool later) {
    if (failed_) {
        return;
    }
    if (Check(later ? temporary_.WriteBlock(buffer_, used_, 0)
                    : temporary_.Write(std::string_view(buffer_.Data(), used_)))) {
        written_ += used_;
    }
    used_ = 0;
}

bool LogFile::Check(std::error_code error) {
    if (error && !failed_) {
        failed_ = true;
        AddFailure(failures_, name_, error.message(), FileFailure::Kind::LogFile);
        temporary_.Discard();
        buffer_ = ByteBlock();
        used_ = 0;
    }
    return !error;
}

} // namespace rz408
