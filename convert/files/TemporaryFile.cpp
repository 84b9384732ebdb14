// SPDX-License-Identifier: GPL-3.0-or-later
#include "TemporaryFile.h"

#include "ReadWrite.h"
#include "WriteBehind.h"

#include <cstring>
#include <utility>

namespace rz408 {

namespace {

// The write-back starts each time this much more was written: large files go to the disk while
// they are converted, small ones wait for the flush of their batch (one for many files).
constexpr std::uint64_t kWriteBackStep = 1 << 20;

} // namespace

Temporary::Temporary(Temporary&& other) noexcept
    : folder_(other.folder_), behind_(other.behind_), file_(std::move(other.file_)),
      name_(std::move(other.name_)), exists_(std::exchange(other.exists_, false)),
      newRights_(other.newRights_), target_(std::move(other.target_)),
      forgetting_(other.forgetting_), notStarted_(std::exchange(other.notStarted_, 0)),
      behindError_(std::exchange(other.behindError_, {})) {}

std::error_code Temporary::Create(std::string_view targetName, std::uint32_t newRights) {
    Discard();
    behindError_.clear();
    newRights_ = newRights;
    target_.assign(targetName);
    forgetting_ = false;
    const std::error_code error = fileops::CreateTemporary(*folder_, targetName, file_, name_);
    exists_ = !error;
    notStarted_ = 0;
    return error;
}

fileops::File& Temporary::File() {
    Settle();
    return file_;
}

std::error_code Temporary::Write(std::string_view bytes) {
    if (auto error = Settle()) {
        return error;
    }
    return WriteNow(bytes);
}

std::error_code Temporary::WriteBlock(ByteBlock& block, std::size_t size, std::size_t keep) {
    if (behind_ != nullptr) {
        if (!forgetting_) {
            // A file written behind is a large one: the cache of the file it is to replace is
            // dropped meanwhile.
            forgetting_ = true;
            behind_->Forget(*folder_, target_);
        }
        return behind_->Write(*this, block, size, keep);
    }
    const std::error_code error = WriteNow(std::string_view(block.Data(), size));
    std::memmove(block.Data(), block.Data() + size, keep);
    return error;
}

std::error_code Temporary::Restart() {
    if (auto error = Settle()) {
        return error;
    }
    notStarted_ = 0;
    return fileops::TruncateTo(file_, 0);
}

std::error_code Temporary::Settle() {
    if (behind_ != nullptr) {
        behind_->Wait();
    }
    return behindError_;
}

std::error_code Temporary::WriteNow(std::string_view bytes) {
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

void Temporary::GiveRoomBack() noexcept {
    [[maybe_unused]] const std::error_code error = fileops::TruncateTo(file_, 0);
}

std::error_code Temporary::Replace(std::string_view targetName) {
    if (auto error = Settle()) {
        return error;
    }
    const std::error_code error = fileops::Replace(*folder_, file_, name_, targetName, newRights_);
    exists_ = static_cast<bool>(error);
    return error;
}

void Temporary::Discard() noexcept {
    Settle();
    if (exists_) {
        fileops::RemoveQuietly(*folder_, file_, name_);
        exists_ = false;
    }
}

} // namespace rz408
