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
    : m_folder(other.m_folder), m_behind(other.m_behind), m_file(std::move(other.m_file)),
      m_name(std::move(other.m_name)), m_exists(std::exchange(other.m_exists, false)),
      m_newRights(other.m_newRights), m_target(std::move(other.m_target)),
      m_forgetting(other.m_forgetting), m_notStarted(std::exchange(other.m_notStarted, 0)),
      m_behindError(std::exchange(other.m_behindError, {})) {}

std::error_code Temporary::Create(std::string_view targetName, std::uint32_t newRights) {
    Discard();
    m_behindError.clear();
    m_newRights = newRights;
    m_target.assign(targetName);
    m_forgetting = false;
    const std::error_code error = fileops::CreateTemporary(*m_folder, targetName, m_file, m_name);
    m_exists = !error;
    m_notStarted = 0;
    return error;
}

fileops::File& Temporary::File() {
    Settle();
    return m_file;
}

std::error_code Temporary::Write(std::string_view bytes) {
    if (auto error = Settle()) {
        return error;
    }
    return WriteNow(bytes);
}

std::error_code Temporary::WriteBlock(ByteBlock& block, std::size_t size, std::size_t keep) {
    if (m_behind != nullptr) {
        if (!m_forgetting) {
            // A file written behind is a large one: the cache of the file it is to replace is
            // dropped meanwhile.
            m_forgetting = true;
            m_behind->Forget(*m_folder, m_target);
        }
        return m_behind->Write(*this, block, size, keep);
    }
    const std::error_code error = WriteNow(std::string_view(block.Data(), size));
    std::memmove(block.Data(), block.Data() + size, keep);
    return error;
}

std::error_code Temporary::Restart() {
    if (auto error = Settle()) {
        return error;
    }
    m_notStarted = 0;
    return fileops::TruncateTo(m_file, 0);
}

std::error_code Temporary::Settle() {
    if (m_behind != nullptr) {
        m_behind->Wait();
    }
    return m_behindError;
}

std::error_code Temporary::WriteNow(std::string_view bytes) {
    if (auto error = fileops::WriteAll(m_file, bytes.data(), bytes.size())) {
        return error;
    }
    m_notStarted += bytes.size();
    if (m_notStarted >= kWriteBackStep) {
        fileops::StartWriteBack(m_file);
        m_notStarted = 0;
    }
    return {};
}

void Temporary::GiveRoomBack() noexcept {
    [[maybe_unused]] const std::error_code error = fileops::TruncateTo(m_file, 0);
}

std::error_code Temporary::Replace(std::string_view targetName) {
    if (auto error = Settle()) {
        return error;
    }
    const std::error_code error =
        fileops::Replace(*m_folder, m_file, m_name, targetName, m_newRights);
    m_exists = static_cast<bool>(error);
    return error;
}

void Temporary::Discard() noexcept {
    Settle();
    if (m_exists) {
        fileops::RemoveQuietly(*m_folder, m_file, m_name);
        m_exists = false;
    }
}

} // namespace rz408
