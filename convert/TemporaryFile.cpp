// SPDX-License-Identifier: GPL-3.0-or-later
#include "TemporaryFile.h"

#include <utility>

namespace rz408 {

Temporary::Temporary(Temporary&& other) noexcept
    : folder_(other.folder_), file_(std::move(other.file_)), name_(std::move(other.name_)),
      exists_(std::exchange(other.exists_, false)) {}

std::error_code Temporary::Create(std::string_view targetName) {
    Discard();
    const std::error_code error = fileops::CreateTemporary(*folder_, targetName, file_, name_);
    exists_ = !error;
    return error;
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
