// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A temporary file of the conversion run in its folder.

#include "ByteBlock.h"
#include "Folder.h"
#include "Replace.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408 {

class WriteBehind;

// A temporary file of the run in its folder, open until it takes its target's place; removed
// when it does not (or when the run ends first). What is written to it starts on its way to the
// disk as it is written, a step at a time, so that the flush before it takes its target's place
// has little left to wait for. With a WriteBehind, the blocks of WriteBlock are written on its
// thread; every other use of the file waits for them first.
class Temporary {
public:
    explicit Temporary(const fileops::Folder& folder, WriteBehind* behind = nullptr)
        : m_folder(&folder), m_behind(behind) {}
    // Only once every block handed over was written (Settle).
    Temporary(Temporary&& other) noexcept;
    Temporary& operator=(Temporary&&) = delete;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() { Discard(); }

    // Creates it, to take the place of TARGET_NAME; where no file stood there, it gets NEW_RIGHTS
    // less the umask (fileops::Replace).
    std::error_code Create(std::string_view targetName,
                           std::uint32_t newRights = fileops::kNewFileRights);

    // The file, once every block handed over is written.
    fileops::File& File();

    // Writes BYTES at the file's position, behind the blocks handed over.
    std::error_code Write(std::string_view bytes);

    // Writes the first SIZE bytes of BLOCK behind what was written before, on the WriteBehind's
    // thread when there is one (BLOCK then receives another block of its size); afterwards BLOCK
    // begins with the KEEP bytes that followed them. Reports a write of an earlier block that
    // failed.
    std::error_code WriteBlock(ByteBlock& block, std::size_t size, std::size_t keep);

    // Empties it, to be written anew from its start.
    std::error_code Restart();

    // Waits until every block handed over is written; reports the first that could not be.
    std::error_code Settle();

    // Closes it and puts it in TARGET_NAME's place.
    std::error_code Replace(std::string_view targetName);

    // Closes and removes it; its room on the disk is free again at once.
    void Discard() noexcept;

private:
    friend class WriteBehind;

    // Writes BYTES at the file's position now (on the thread that calls).
    std::error_code WriteNow(std::string_view bytes);
    // Empties the file after a write failed: its room on the disk is free again at once.
    void GiveRoomBack() noexcept;

    const fileops::Folder* m_folder;
    WriteBehind* m_behind;
    fileops::File m_file;
    std::string m_name;
    bool m_exists = false;
    std::uint32_t m_newRights = fileops::kNewFileRights;
    std::string m_target;           // the file it is to replace
    bool m_forgetting = false;      // the WriteBehind drops that file's cache
    std::uint64_t m_notStarted = 0; // bytes written since the write-back was last started
    std::error_code m_behindError;  // the first block the WriteBehind could not write
};

} // namespace rz408
