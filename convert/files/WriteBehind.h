// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writing the run's files on a thread of their own while the run converts on.

#include "ByteBlock.h"
#include "Folder.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace rz408 {

class Temporary;

// Writes blocks to temporary files on a thread of its own, in the order they are handed over,
// while the run's thread converts the next ones: the system's work of taking the data into its
// cache and starting it on its way to the disk is done beside the conversion instead of between
// its blocks. At most kWaiting blocks wait at a time; handing over one more waits until the oldest
// is written. The first write that fails for a file is kept for it (Temporary::Settle), and its
// later blocks are not written; the file is emptied at once, so that the room it took on the disk
// is free for the blocks of the other file behind it (a full disk fails the copy or the log, never
// both). Where no thread can be started, each block is written at once.
class WriteBehind {
public:
    static constexpr std::size_t kWaiting = 3;

    WriteBehind();
    ~WriteBehind(); // writes the blocks still waiting, then ends the thread
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Hands the first SIZE bytes of BLOCK over, to be written to TO behind the blocks handed over
    // before; BLOCK receives another block of the same size in exchange, which begins with the
    // KEEP bytes that followed them. When an earlier block for TO could not be written, returns
    // that error instead and writes nothing (BLOCK then begins with the KEEP bytes all the same).
    // Throws (no memory) only before taking anything over.
    std::error_code Write(Temporary& to, ByteBlock& block, std::size_t size, std::size_t keep);

    // Waits until every block handed over is written.
    void Wait() noexcept;

    // Drops the cached data of the file NAME of FOLDER, which a temporary file is to replace, from
    // the system's cache, a piece at a time whenever the thread has no block to write: otherwise
    // the replacement would spend that time on the run's thread. Only a large file, a few at a
    // time; nothing without a thread.
    void Forget(const fileops::Folder& folder, std::string_view name) noexcept;

private:
    struct Job {
        Temporary* To = nullptr;
        ByteBlock Block;
        std::size_t Size = 0;
    };

    void Work() noexcept;

    // A file whose cache is dropped: DONE of its SIZE bytes so far.
    struct Forgotten {
        fileops::File File;
        std::uint64_t Size = 0;
        std::uint64_t Done = 0;
    };
    bool Forgetting() const;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Job m_jobs[kWaiting]; // a ring: COUNT_ jobs from FIRST_ on
    std::size_t m_first = 0;
    std::size_t m_count = 0;
    std::vector<ByteBlock> m_free; // blocks written, for the next exchanges
    Forgotten m_forgotten[2];
    bool m_stopping = false;
    std::thread m_thread; // not joinable when none could be started
};

} // namespace rz408
