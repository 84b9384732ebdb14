// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogFile.h"

#include "RunFailures.h"

#include <algorithm>
#include <utility>

namespace rz408 {

LogFile::LogFile(const fileops::Folder& folder, std::string name,
                 std::vector<FileFailure>& failures)
    : name_(std::move(name)), failures_(failures), temporary_(folder) {
    Check(temporary_.Create(name_));
}

void LogFile::Rollback() {
    if (failed_) {
        return;
    }
    if (committed_ >= written_) {
        buffer_.resize(static_cast<std::size_t>(committed_ - written_));
    } else {
        buffer_.clear();
        Check(fileops::TruncateTo(temporary_.File(), committed_));
        written_ = committed_;
    }
}

void LogFile::TakeOut(const std::vector<ByteRange>& ranges) noexcept {
    if (failed_ || ranges.empty()) {
        return;
    }
    try {
        WriteBuffer();
        buffer_.resize(kBuffer);
        std::uint64_t to = ranges.front().begin;
        for (std::size_t k = 0; k < ranges.size() && !failed_; ++k) {
            const std::uint64_t until = k + 1 < ranges.size() ? ranges[k + 1].begin : written_;
            for (std::uint64_t from = ranges[k].end; from < until && !failed_;) {
                std::size_t got = 0;
                const std::size_t size =
                    static_cast<std::size_t>(std::min<std::uint64_t>(until - from, kBuffer));
                if (Check(fileops::ReadAt(temporary_.File(), from, buffer_.data(), size, got)) &&
                    Check(got == 0
                              ? std::make_error_code(std::errc::io_error)
                              : fileops::WriteAt(temporary_.File(), to, buffer_.data(), got))) {
                    from += got;
                    to += got;
                }
            }
        }
        buffer_.clear();
        if (!failed_ && Check(fileops::TruncateTo(temporary_.File(), to))) {
            written_ = committed_ = to;
        }
    } catch (...) {
        buffer_.clear();
        Check(std::make_error_code(std::errc::not_enough_memory));
    }
}

void LogFile::Finish() {
    if (failed_) {
        return;
    }
    WriteBuffer();
    if (!failed_) {
        Check(fileops::FlushData(temporary_.File())); // on the disk before its name points at it
    }
    if (!failed_) {
        Check(temporary_.Replace(name_));
    }
}

void LogFile::WriteBuffer() {
    if (Check(temporary_.Write(buffer_))) {
        written_ += buffer_.size();
    }
    buffer_.clear();
}

bool LogFile::Check(std::error_code error) {
    if (error && !failed_) {
        failed_ = true;
        AddFailure(failures_, name_, error.message(), FileFailure::Kind::LogFile);
        temporary_.Discard();
        std::string().swap(buffer_);
    }
    return !error;
}

} // namespace rz408
