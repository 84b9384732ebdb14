// SPDX-License-Identifier: GPL-3.0-or-later
#include "WriteBehind.h"

#include "Folder.h"
#include "ReadWrite.h"
#include "Signals.h"
#include "TemporaryFile.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace rz408 {

namespace {

// The cache of a file is dropped this much at a time, so that a block handed over meanwhile waits
// little.
constexpr std::uint64_t kForgetStep = std::uint64_t{4} << 20;

// Blocks kept for exchanges: those of the two sizes the run hands over (copies and log), as many
// as can be out at once.
constexpr std::size_t kFreeKept = 2 * (WriteBehind::kWaiting + 1);

} // namespace

WriteBehind::WriteBehind() {
    try {
        m_free.reserve(kFreeKept);
        m_thread = fileops::StartQuietThread([this] { Work(); });
    } catch (...) {
        // No thread (or no memory for the list): every block is written at once.
    }
}

WriteBehind::~WriteBehind() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::error_code WriteBehind::Write(Temporary& to, ByteBlock& block, std::size_t size,
                                   std::size_t keep) {
    const auto keepInPlace = [&] { std::memmove(block.Data(), block.Data() + size, keep); };
    if (!m_thread.joinable()) {
        const std::error_code error = to.WriteNow(std::string_view(block.Data(), size));
        keepInPlace();
        return error;
    }
    ByteBlock next;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (to.m_behindError) {
            const std::error_code error = to.m_behindError;
            lock.unlock();
            keepInPlace();
            return error;
        }
        m_changed.wait(lock, [this] { return m_count < kWaiting; });
        for (ByteBlock& written : m_free) {
            if (written.Size() == block.Size()) {
                next = std::move(written);
                written = std::move(m_free.back());
                m_free.pop_back();
                break;
            }
        }
    }
    if (next.Empty()) {
        next = ByteBlock(block.Size()); // one more block out: the queue holds the others
    }
    std::memcpy(next.Data(), block.Data() + size, keep);
    {
        // Only this thread adds jobs: the room seen above is still there.
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs[(m_first + m_count) % kWaiting] = Job{&to, std::move(block), size};
        ++m_count;
    }
    m_changed.notify_all();
    block = std::move(next);
    return {};
}

void WriteBehind::Forget(const fileops::Folder& folder, std::string_view name) noexcept {
    if (!m_thread.joinable()) {
        return;
    }
    fileops::File file;
    std::uint64_t size = 0;
    if (!fileops::OpenToForget(folder, name, file, size)) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (Forgotten& slot : m_forgotten) {
            if (!slot.File.IsOpen()) {
                slot.File = std::move(file);
                slot.Size = size;
                slot.Done = 0;
                break;
            }
        }
    }
    m_changed.notify_all();
    // All slots taken: FILE is closed here, its cache left to the replacement.
}

bool WriteBehind::Forgetting() const {
    for (const Forgotten& slot : m_forgotten) {
        if (slot.File.IsOpen()) {
            return true;
        }
    }
    return false;
}

void WriteBehind::Wait() noexcept {
    if (!m_thread.joinable()) {
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_count == 0; });
}

void WriteBehind::Work() noexcept {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_count > 0 || m_stopping || Forgetting(); });
        if (m_count == 0 && m_stopping) {
            for (Forgotten& slot : m_forgotten) {
                slot.File = fileops::File();
            }
            return;
        }
        if (m_count == 0) {
            // Nothing to write: a piece of a cache to drop. Only this thread empties a slot, and
            // the run's thread fills only empty ones.
            for (Forgotten& slot : m_forgotten) {
                if (slot.File.IsOpen()) {
                    const std::uint64_t from = slot.Done;
                    slot.Done += kForgetStep;
                    fileops::File last;
                    if (slot.Done >= slot.Size) {
                        last = std::move(slot.File);
                    }
                    fileops::File& file = last.IsOpen() ? last : slot.File;
                    lock.unlock();
                    fileops::ForgetCached(file, from, kForgetStep);
                    last = fileops::File();
                    lock.lock();
                    break;
                }
            }
            continue;
        }
        // The run's thread adds jobs behind this one and leaves it alone until it is done.
        Job& job = m_jobs[m_first];
        Temporary& to = *job.To;
        const bool failed = static_cast<bool>(to.m_behindError);
        lock.unlock();
        std::error_code error;
        if (!failed) {
            error = to.WriteNow(std::string_view(job.Block.Data(), job.Size));
            if (error) {
                to.GiveRoomBack();
            }
        }
        lock.lock();
        if (error) {
            to.m_behindError = error;
        }
        if (m_free.size() < kFreeKept) {
            m_free.push_back(std::move(job.Block)); // room reserved
        } else {
            job.Block = ByteBlock();
        }
        job.To = nullptr;
        m_first = (m_first + 1) % kWaiting;
        --m_count;
        m_changed.notify_all();
    }
}

} // namespace rz408
