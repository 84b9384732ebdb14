// SPDX-License-Identifier: GPL-3.0-or-later
#include "Signals_linux.h"
#include "Signals.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <pthread.h>
#include <unistd.h>
#include <utility>

namespace rz408::fileops {

namespace {

// The temporary files that exist right now, for the signal handler that removes them when the
// program is stopped (RemoveTemporariesOnInterrupt). A signal handler is handed nothing but the
// signal's number, so what it needs must be reachable without arguments: this table is the
// program's one mutable global for that reason. It is fixed in size and never allocates; a slot
// holds the descriptor of the file's folder and the file's name (a name is at most 255 bytes,
// whatever the length of the folder's path), and is published through its atomic state only
// once complete, so the handler reads whole entries only, and calls nothing but unlinkat. A run
// keeps its folder open until its temporary files are gone from the table. A temporary file
// that finds the table full is simply not removed on a stop (the next run removes it).
class TemporaryTable {
public:
    // A run holds its pending batch of copies, the copy being written and the log's file.
    static constexpr std::size_t kSlots = 1024;
    static constexpr std::size_t kNameBytes = NAME_MAX + 1;

    void Add(int folder, const char* name) noexcept {
        const std::size_t length = std::strlen(name);
        if (length >= kNameBytes) {
            return;
        }
        const std::uint64_t hash = Hash(folder, name);
        for (std::size_t k = 0; k < kSlots; ++k) {
            Slot& slot = m_slots[(hash + k) % kSlots];
            int free = kFree;
            if (slot.State.compare_exchange_strong(free, kFilling, std::memory_order_acquire)) {
                slot.Hash = hash;
                slot.Folder = folder;
                std::memcpy(slot.Name, name, length + 1);
                slot.State.store(kFilled, std::memory_order_release);
                return;
            }
        }
    }

    void Remove(int folder, const char* name) noexcept {
        const std::uint64_t hash = Hash(folder, name);
        for (std::size_t k = 0; k < kSlots; ++k) {
            Slot& slot = m_slots[(hash + k) % kSlots];
            if (slot.State.load(std::memory_order_acquire) == kFilled && slot.Hash == hash &&
                slot.Folder == folder && std::strcmp(slot.Name, name) == 0) {
                slot.State.store(kFree, std::memory_order_release);
                return;
            }
        }
    }

    // Async-signal-safe.
    void UnlinkAll() noexcept {
        for (Slot& slot : m_slots) {
            if (slot.State.load(std::memory_order_acquire) == kFilled) {
                ::unlinkat(slot.Folder, slot.Name, 0);
            }
        }
    }

private:
    static constexpr int kFree = 0;
    static constexpr int kFilling = 1;
    static constexpr int kFilled = 2;
    static_assert(std::atomic<int>::is_always_lock_free,
                  "the signal handler needs lock-free flags");

    static std::uint64_t Hash(int folder, const char* name) noexcept {
        std::uint64_t hash = 14695981039346656037u ^ static_cast<std::uint64_t>(folder); // FNV-1a
        for (; *name != '\0'; ++name) {
            hash = (hash ^ static_cast<unsigned char>(*name)) * 1099511628211u;
        }
        return hash;
    }

    struct Slot {
        std::atomic<int> State{kFree};
        std::uint64_t Hash = 0;
        int Folder = -1;
        char Name[kNameBytes] = {};
    };
    Slot m_slots[kSlots];
};

constinit TemporaryTable temporaries;

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Removes the temporary files, then lets the signal end the program as it would have.
void RemoveTemporariesAndStop(int signal) {
    temporaries.UnlinkAll();
    ::signal(signal, SIG_DFL);
    ::raise(signal); // delivered when the handler returns, the signal being blocked until then
}

} // namespace

void RememberTemporary(int folder, const char* name) noexcept {
    temporaries.Add(folder, name);
}

void ForgetTemporary(int folder, const char* name) noexcept {
    temporaries.Remove(folder, name);
}

StopSignalsHeld::StopSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kStopSignals) {
        sigaddset(&held, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &held, &m_before);
}

StopSignalsHeld::~StopSignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
}

void FailWritesBeyondTheSizeLimit() {
    // Ignored, SIGXFSZ no longer ends the program: the write fails with EFBIG instead. A
    // handler of the program's own stays.
    struct sigaction action {};
    if (::sigaction(SIGXFSZ, nullptr, &action) == 0 && action.sa_handler == SIG_DFL &&
        (action.sa_flags & SA_SIGINFO) == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
}

std::thread StartQuietThread(std::function<void()> work) {
    sigset_t all;
    sigfillset(&all);
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &all, &before); // the new thread starts with this mask
    struct Restore {
        const sigset_t& Mask;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, &Mask, nullptr); }
    } restore{before};
    return std::thread(std::move(work));
}

void RemoveTemporariesOnInterrupt() {
    for (const int signal : kStopSignals) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) {
            continue; // ignored (nohup): it ends nothing, so there is nothing to clean up
        }
        action = {};
        action.sa_handler = RemoveTemporariesAndStop;
        sigemptyset(&action.sa_mask);
        for (const int other : kStopSignals) {
            sigaddset(&action.sa_mask, other);
        }
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace rz408::fileops
