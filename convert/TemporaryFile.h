// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A temporary file of the conversion run in its folder.

#include "FileOps.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408 {

// A temporary file of the run in its folder, open until it takes its target's place; removed
// when it does not (or when the run ends first). What is written to it starts on its way to the
// disk as it is written, a step at a time, so that the flush before it takes its target's place
// has little left to wait for.
class Temporary {
public:
    explicit Temporary(const fileops::Folder& folder) : folder_(&folder) {}
    Temporary(Temporary&& other) noexcept;
    Temporary& operator=(Temporary&&) = delete;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() { Discard(); }

    // Creates it, to take the place of TARGET_NAME.
    std::error_code Create(std::string_view targetName);

    fileops::File& File() { return file_; }

    // Writes BYTES at the file's position.
    std::error_code Write(std::string_view bytes);

    // Closes it and puts it in TARGET_NAME's place.
    std::error_code Replace(std::string_view targetName);

    // Closes and removes it; its room on the disk is free again at once.
    void Discard() noexcept;

private:
    const fileops::Folder* folder_;
    fileops::File file_;
    std::string name_;
    bool exists_ = false;
    std::uint64_t notStarted_ = 0; // bytes written since the write-back was last started
};

} // namespace rz408
