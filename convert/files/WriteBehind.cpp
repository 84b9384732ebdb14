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
        free_.reserve(kFreeKept);
        thread_ = fileops::StartQuietThread([this] { Work(); });
    } catch (...) {
        // No thread (or no memory for the list): every block is written at once.
    }
}

WriteBehind::~WriteBehind() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::error_code WriteBehind::Write(Temporary& to, ByteBlock& block, std::size_t size,
                                   std::size_t keep) {
    const auto keepInPlace = [&] { std::memmove(block.Data(), block.Data() + size, keep); };
    if (!thread_.joinable()) {
        const std::error_code error = to.WriteNow(std::string_view(block.Data(), size));
        keepInPlace();
        return error;
    }
    ByteBlock next;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (to.behindError_) {
            const std::error_code error = to.behindError_;
            lock.unlock();
            keepInPlace();
            return error;
        }
        changed_.wait(lock, [this] { return count_ < kWaiting; });
        for (ByteBlock& written : free_) {
            if (written.Size() == block.Size()) {
                next = std::move(written);
                written = std::move(free_.back());
                free_.pop_back();
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
        const std::lock_guard<std::mutex> lock(mutex_);
        jobs_[(first_ + count_) % kWaiting] = Job{&to, std::move(block), size};
        ++count_;
    }
    changed_.notify_all();
    block = std::move(next);
    return {};
}

void WriteBehind::Forget(const fileops::Folder& folder, std::string_view name) noexcept {
    if (!thread_.joinable()) {
        return;
    }
    fileops::File file;
    std::uint64_t size = 0;
    if (!fileops::OpenToForget(folder, name, file, size)) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (Forgotten& slot : forgotten_) {
            if (!slot.file.IsOpen()) {
                slot.file = std::move(file);
                slot.size = size;
                slot.done = 0;
                break;
            }
        }
    }
    changed_.notify_all();
    // All slots taken: FILE is closed here, its cache left to the replacement.
}

bool WriteBehind::Forgetting() const {
    for (const Forgotten& slot : forgotten_) {
        if (slot.file.IsOpen()) {
            return true;
        }
    }
    return false;
}

void WriteBehind::Wait() noexcept {
    if (!thread_.joinable()) {
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return count_ == 0; });
}

void WriteBehind::Work() noexcept {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return count_ > 0 || stopping_ || Forgetting(); });
        if (count_ == 0 && stopping_) {
            for (Forgotten& slot : forgotten_) {
                slot.file = fileops::File();
            }
            return;
        }
        if (count_ == 0) {
            // Nothing to write: a piece of a cache to drop. Only this thread empties a slot, and
            // the run's thread fills only empty ones.
            for (Forgotten& slot : forgotten_) {
                if (slot.file.IsOpen()) {
                    const std::uint64_t from = slot.done;
                    slot.done += kForgetStep;
                    fileops::File last;
                    if (slot.done >= slot.size) {
                        last = std::move(slot.file);
                    }
                    fileops::File& file = last.IsOpen() ? last : slot.file;
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
        Job& job = jobs_[first_];
        Temporary& to = *job.to;
        const bool failed = static_cast<bool>(to.behindError_);
        lock.unlock();
        std::error_code error;
        if (!failed) {
            error = to.WriteNow(std::string_view(job.block.Data(), job.size));
            if (error) {
                to.GiveRoomBack();
            }
        }
        lock.lock();
        if (error) {
            to.behindError_ = error;
        }
        if (free_.size() < kFreeKept) {
            free_.push_back(std::move(job.block)); // room reserved
        } else {
            job.block = ByteBlock();
        }
        job.to = nullptr;
        first_ = (first_ + 1) % kWaiting;
        --count_;
        changed_.notify_all();
    }
}

} // namespace rz408
