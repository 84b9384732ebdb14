// The file operations on Linux (syncfs is Linux's own; the rest is POSIX).

#include "FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace rz408::fsys {

namespace {

int Fd(const File& file) {
    return static_cast<int>(file.handle_);
}

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::error_code CheckRegular(const struct stat& info) {
    if (S_ISREG(info.st_mode)) {
        return {};
    }
    if (S_ISDIR(info.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    return NotRegularFile();
}

// Six letters or digits, different for every call.
std::string RandomSuffix() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        static_cast<std::uint64_t>(::getpid()));
    std::string suffix;
    for (int k = 0; k < 6; ++k) {
        suffix += kLetters[random() % (sizeof kLetters - 1)];
    }
    return suffix;
}

class NotRegularCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "rz408"; }
    std::string message(int) const override { return "not a regular file"; }
};

// The temporary files that exist right now, for the signal handler that removes them when the
// program is stopped (RemoveTemporariesOnInterrupt). A signal handler is handed nothing but the
// signal's number, so what it needs must be reachable without arguments: this table is the
// program's one mutable global for that reason. It is fixed in size and never allocates; a slot
// is published through its atomic state only once its path is complete, so the handler reads
// whole paths only, and calls nothing but unlink. A temporary file whose path does not fit, or
// that finds the table full, is simply not removed on a stop.
class TemporaryTable {
public:
    // A run holds its pending batch of copies, the copy being written and the log's file.
    static constexpr std::size_t kSlots = 1024;
    static constexpr std::size_t kPathBytes = 512;

    void Add(const char* path) noexcept {
        const std::size_t length = std::strlen(path);
        if (length >= kPathBytes) {
            return;
        }
        const std::uint64_t hash = Hash(path);
        for (std::size_t k = 0; k < kSlots; ++k) {
            Slot& slot = slots_[(hash + k) % kSlots];
            int free = kFree;
            if (slot.state.compare_exchange_strong(free, kFilling, std::memory_order_acquire)) {
                slot.hash = hash;
                std::memcpy(slot.path, path, length + 1);
                slot.state.store(kFilled, std::memory_order_release);
                return;
            }
        }
    }

    void Remove(const char* path) noexcept {
        const std::uint64_t hash = Hash(path);
        for (std::size_t k = 0; k < kSlots; ++k) {
            Slot& slot = slots_[(hash + k) % kSlots];
            if (slot.state.load(std::memory_order_acquire) == kFilled && slot.hash == hash &&
                std::strcmp(slot.path, path) == 0) {
                slot.state.store(kFree, std::memory_order_release);
                return;
            }
        }
    }

    // Async-signal-safe.
    void UnlinkAll() noexcept {
        for (Slot& slot : slots_) {
            if (slot.state.load(std::memory_order_acquire) == kFilled) {
                ::unlink(slot.path);
            }
        }
    }

private:
    static constexpr int kFree = 0;
    static constexpr int kFilling = 1;
    static constexpr int kFilled = 2;
    static_assert(std::atomic<int>::is_always_lock_free,
                  "the signal handler needs lock-free flags");

    static std::uint64_t Hash(const char* path) noexcept {
        std::uint64_t hash = 14695981039346656037u; // FNV-1a
        for (; *path != '\0'; ++path) {
            hash = (hash ^ static_cast<unsigned char>(*path)) * 1099511628211u;
        }
        return hash;
    }

    struct Slot {
        std::atomic<int> state{kFree};
        std::uint64_t hash = 0;
        char path[kPathBytes] = {};
    };
    Slot slots_[kSlots];
};

constinit TemporaryTable temporaries;

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Removes the temporary files, then lets the signal end the program as it would have.
void RemoveTemporariesAndStop(int signal) {
    temporaries.UnlinkAll();
    ::signal(signal, SIG_DFL);
    ::raise(signal); // delivered when the handler returns, the signal being blocked until then
}

// Holds back the stop signals while a temporary file is made and entered in the table, so that
// none can come between the two.
class StopSignalsHeld {
public:
    StopSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kStopSignals) {
            sigaddset(&held, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t before_{};
};

} // namespace

File::~File() {
    if (IsOpen()) {
        ::close(Fd(*this));
    }
}

std::error_code NotRegularFile() {
    static const NotRegularCategory category;
    return {1, category};
}

std::error_code OpenForReading(const std::filesystem::path& path, File& file) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return LastError();
    }
    if (auto error = CheckRegular(info)) {
        return error;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    file.handle_ = fd;
    if (::fstat(fd, &info) != 0) {
        return LastError();
    }
    return CheckRegular(info);
}

std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got) {
    for (;;) {
        const ssize_t n = ::read(Fd(file), data, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (errno != EINTR) {
            got = 0;
            return LastError();
        }
    }
}

std::error_code CreateTemporary(const std::filesystem::path& target, File& file,
                                std::filesystem::path& temporary) {
    // ".<name>.rz408-XXXXXX": hidden, so no listing shows it; the name is shortened to stay
    // within the system's limit for one name.
    std::string base = target.filename().native();
    if (base.size() > 120) {
        base.resize(120);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target.parent_path() / ("." + base + ".rz408-" + RandomSuffix());
        const StopSignalsHeld held;
        const int fd =
            ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            temporaries.Add(temporary.c_str());
            file.handle_ = fd;
            // A file that replaces an older one keeps its access rights, as if it had been
            // rewritten in place; a new one gets those of any new file.
            struct stat old {};
            if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
                ::fchmod(fd, old.st_mode & 07777);
            }
            return {};
        }
        if (errno != EEXIST) {
            return LastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

namespace {

// Writes all SIZE bytes at the file position, or from *OFFSET when one is given.
std::error_code WriteFully(int fd, const char* data, std::size_t size,
                           const std::uint64_t* offset) {
    std::uint64_t at = offset != nullptr ? *offset : 0;
    while (size > 0) {
        const ssize_t n = offset != nullptr ? ::pwrite(fd, data, size, static_cast<off_t>(at))
                                            : ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        if (n == 0) {
            return std::make_error_code(std::errc::no_space_on_device);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        at += static_cast<std::uint64_t>(n);
    }
    return {};
}

} // namespace

std::error_code WriteAll(File& file, const char* data, std::size_t size) {
    return WriteFully(Fd(file), data, size, nullptr);
}

std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got) {
    for (;;) {
        const ssize_t n = ::pread(Fd(file), data, size, static_cast<off_t>(offset));
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (errno != EINTR) {
            got = 0;
            return LastError();
        }
    }
}

std::error_code WriteAt(File& file, std::uint64_t offset, const char* data, std::size_t size) {
    return WriteFully(Fd(file), data, size, &offset);
}

std::error_code TruncateTo(File& file, std::uint64_t size) {
    if (::ftruncate(Fd(file), static_cast<off_t>(size)) != 0) {
        return LastError();
    }
    if (::lseek(Fd(file), static_cast<off_t>(size), SEEK_SET) < 0) {
        return LastError();
    }
    return {};
}

std::error_code Close(File& file) {
    const int fd = Fd(file);
    file.handle_ = File::kNoHandle;
    if (::close(fd) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

std::error_code FlushData(File& file) {
    if (::fdatasync(Fd(file)) != 0) {
        return LastError();
    }
    return {};
}

std::error_code OpenFolder(const std::filesystem::path& folder, File& handle) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    handle.handle_ = fd;
    return {};
}

std::error_code FlushFileSystem(File& folder) {
    if (!folder.IsOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    // syncfs reports the write-back errors of the whole file system since this descriptor was
    // opened or last flushed (Linux 5.8 and later; older ones report none).
    if (::syncfs(Fd(folder)) != 0) {
        return LastError();
    }
    return {};
}

std::error_code FlushFile(const std::filesystem::path& path) {
    // A descriptor opened after a failed write-back still reports it, as long as no one has
    // been told of it before; opened for reading, as the file may be read-only.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    const int flushed = ::fdatasync(fd);
    const std::error_code error = flushed != 0 ? LastError() : std::error_code();
    ::close(fd);
    return error;
}

std::error_code Replace(const std::filesystem::path& temporary,
                        const std::filesystem::path& target) {
    // ext4 writes a file out to the disk, there and then, when it is renamed over an existing
    // one; for a large copy that costs more than the whole conversion. Exchanging the two names
    // is just as atomic and is not slowed down: the old file then has the temporary name and is
    // removed. A folder in the target's place is never exchanged (the rename below refuses it).
    struct stat old {};
    if (::lstat(target.c_str(), &old) == 0 && !S_ISDIR(old.st_mode) &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(temporary.c_str());
        temporaries.Remove(temporary.c_str());
        return {};
    }
    // No target yet, or a file system without the exchange: the plain rename.
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return LastError();
    }
    temporaries.Remove(temporary.c_str());
    return {};
}

void RemoveQuietly(const std::filesystem::path& path) {
    ::unlink(path.c_str());
    temporaries.Remove(path.c_str());
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

bool IsListable(const std::filesystem::directory_entry& entry, std::string_view name) {
    if (name.empty() || name.front() == '.') {
        return false;
    }
    std::error_code error;
    return entry.is_regular_file(error); // follows symbolic links
}

bool IsEnterableFolder(const std::filesystem::directory_entry& entry, std::string_view name) {
    if (name.empty() || name.front() == '.') {
        return false;
    }
    std::error_code error;
    // The entry's own type: a symbolic link to a folder is a link, not a folder.
    return entry.symlink_status(error).type() == std::filesystem::file_type::directory;
}

bool SameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace rz408::fsys
