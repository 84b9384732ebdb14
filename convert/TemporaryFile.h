// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A temporary file of the conversion run in its folder.

#include "FileOps.h"

#include <string>
#include <string_view>
#include <system_error>

namespace rz408 {

// A temporary file of the run in its folder, open until it takes its target's place; removed
// when it does not (or when the run ends first).
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

    // Closes it and puts it in TARGET_NAME's place.
    std::error_code Replace(std::string_view targetName);

    // Closes and removes it; its room on the disk is free again at once.
    void Discard() noexcept;

private:
    const fileops::Folder* folder_;
    fileops::File file_;
    std::string name_;
    bool exists_ = false;
};

} // namespace rz408
