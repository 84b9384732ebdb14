// SPDX-License-Identifier: GPL-3.0-or-later
#include "TemporaryFile.h"

#include <utility>

namespace rz408 {

namespace {

// The write-back starts each time this much more was written: large files go to the disk while
// they are converted, small ones wait for the flush of their batch (one for many files).
constexpr std::uint64_t kWriteBackStep = 1 << 20;

} // namespace

Temporary::Temporary(Temporary&& other) noexcept
    : folder_(other.folder_), file_(std::move(other.file_)), name_(std::move(other.name_)),
      exists_(std::exchange(other.exists_, false)),
      notStarted_(std::exchange(other.notStarted_, 0)) {}

std::error_code Temporary::Create(std::string_view targetName) {
    Discard();
    const std::error_code error = fileops::CreateTemporary(*folder_, targetName, file_, name_);
    exists_ = !error;
    notStarted_ = 0;
    return error;
}

std::error_code Temporary::Write(std::string_view bytes) {
    if (auto error = fileops::WriteAll(file_, bytes.data(), bytes.size())) {
        return error;
    }
    notStarted_ += bytes.size();
    if (notStarted_ >= kWriteBackStep) {
        fileops::StartWriteBack(file_);
        notStarted_ = 0;
    }
    return {};
}

std::error_code Temporary::Replace(std::string_view targetName) {
    const std::error_code error = fileops::Replace(*folder_, file_, name_, targetName);
    exists_ = static_cast<bool>(error);
    return error;
}

void Temporary::Discard() noexcept {
    if (exists_) {
        fileops::RemoveQuietly(*folder_, file_, name_);
        exists_ = false;
    }
}

} // namespace rz408
