// SPDX-License-Identifier: GPL-3.0-or-later
// The file operations on Linux (syncfs, sync_file_range and O_PATH are Linux's own; the rest is
// POSIX).

#include "FileOps.h"
#include "FileOpsHandles.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace rz408::fileops {

namespace {

int Fd(const File& file) {
    return static_cast<int>(Handles::Of(file));
}

int Fd(const Folder& folder) {
    return static_cast<int>(Handles::Of(folder));
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

// NAME as a C string, when it is one name of a folder.
std::error_code NameInFolder(std::string_view name, std::string& cName) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return NotAFileName();
    }
    cName.assign(name);
    return {};
}

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
            Slot& slot = slots_[(hash + k) % kSlots];
            int free = kFree;
            if (slot.state.compare_exchange_strong(free, kFilling, std::memory_order_acquire)) {
                slot.hash = hash;
                slot.folder = folder;
                std::memcpy(slot.name, name, length + 1);
                slot.state.store(kFilled, std::memory_order_release);
                return;
            }
        }
    }

    void Remove(int folder, const char* name) noexcept {
        const std::uint64_t hash = Hash(folder, name);
        for (std::size_t k = 0; k < kSlots; ++k) {
            Slot& slot = slots_[(hash + k) % kSlots];
            if (slot.state.load(std::memory_order_acquire) == kFilled && slot.hash == hash &&
                slot.folder == folder && std::strcmp(slot.name, name) == 0) {
                slot.state.store(kFree, std::memory_order_release);
                return;
            }
        }
    }

    // Async-signal-safe.
    void UnlinkAll() noexcept {
        for (Slot& slot : slots_) {
            if (slot.state.load(std::memory_order_acquire) == kFilled) {
                ::unlinkat(slot.folder, slot.name, 0);
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
        std::atomic<int> state{kFree};
        std::uint64_t hash = 0;
        int folder = -1;
        char name[kNameBytes] = {};
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

// A temporary file is marked as in use by an exclusive lock (flock) on its open file, which the
// system lifts when the file is closed or the program ends, and as the program's own by its time
// of last access (TemporaryMark). The mark is set only once the lock is held, and taken off
// before the file is closed: a marked file whose lock can be taken belongs to a run that is gone.
// No lock of the folder is needed for that, so nobody who can read the folder can make a run
// wait. A file that cannot be locked (some network file systems) gets no mark, and stays.
bool SetAccessTime(int fd, std::int64_t seconds) {
    timespec times[2] = {{static_cast<time_t>(seconds), 0}, {0, UTIME_OMIT}};
    return ::futimens(fd, times) == 0;
}

bool Marked(const struct stat& info, std::string_view temporaryName) {
    return info.st_atim.tv_sec == TemporaryMark(temporaryName);
}

void TakeMarkOff(int fd) {
    timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
    ::futimens(fd, times);
}

// The umask, which the access rights of a new file are less of. Read from /proc, which leaves
// the umask as it is; where /proc is missing, set and set back at once.
std::uint32_t Umask() {
    mode_t umask = 022;
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    char status[4096];
    ssize_t got = fd >= 0 ? ::read(fd, status, sizeof status - 1) : -1;
    if (fd >= 0) {
        ::close(fd);
    }
    const char* line = nullptr;
    if (got > 0) {
        status[got] = '\0';
        line = std::strstr(status, "\nUmask:");
    }
    if (line != nullptr) {
        umask = static_cast<mode_t>(std::strtoul(line + 7, nullptr, 8));
    } else {
        umask = ::umask(022);
        ::umask(umask);
    }
    return umask & 0777;
}

// A copy that replaces an older file keeps what the older file had: its access rights, and its
// owner and group where this program may give them (as root, or a group the user belongs to). A
// set-user-ID or set-group-ID bit stays only under the old file's owner or group: a copy never
// carries it to another owner (the content comes from a source someone else may control). A new
// file gets NEW_RIGHTS less the umask (a copy its source's: never more open than that). Done once
// the file is written, before it takes the old one's place: until then the file is its maker's
// alone (CreateTemporary), and the system would take set-ID bits off a file that a user other
// than root writes to.
void GiveFinalRights(const Folder& folder, const std::string& targetName, int fd,
                     std::uint32_t newRights) {
    struct stat old {};
    if (::fstatat(Fd(folder), targetName.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(old.st_mode)) {
        ::fchmod(fd, static_cast<mode_t>(newRights & ~Handles::UmaskOf(folder) & 0777));
        return;
    }
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) {
        return;
    }
    if (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && mine.st_gid != old.st_gid) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
        if (::fstat(fd, &mine) != 0) {
            mine.st_uid = static_cast<uid_t>(-1); // unknown: no set-ID bit then
        }
    }
    mode_t mode = old.st_mode & 07777;
    if (mine.st_uid != old.st_uid) {
        mode &= ~static_cast<mode_t>(S_ISUID);
    }
    if (mine.st_gid != old.st_gid || mine.st_uid != old.st_uid) {
        mode &= ~static_cast<mode_t>(S_ISGID);
    }
    ::fchmod(fd, mode);
}

// Calls READ (a read of the system) again while a signal interrupts it; GOT receives the bytes
// read.
template <typename Read>
std::error_code ReadRetrying(std::size_t& got, Read read) {
    for (;;) {
        const ssize_t n = read();
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

std::error_code CloseFd(int fd) {
    if (::close(fd) != 0 && errno != EINTR) {
        return LastError();
    }
    return {};
}

} // namespace

File::~File() {
    if (IsOpen()) {
        ::close(Fd(*this));
    }
}

Folder::~Folder() {
    if (IsOpen()) {
        ::close(Fd(*this));
    }
}

std::error_code OpenFolder(const std::filesystem::path& path, Folder& folder) {
    Handles::PathOf(folder) = path;
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        // A folder that may be written but not read: a descriptor that names it is enough to
        // work in it (no listing, no lock, and each copy flushed by itself).
        fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        Handles::ErrorOf(folder) = LastError();
        return Handles::ErrorOf(folder);
    }
    Handles::Of(folder) = fd;
    Handles::ErrorOf(folder).clear();
    Handles::UmaskOf(folder) = Umask();
    return {};
}

std::error_code OpenSubfolder(const Folder& parent, std::string_view name, Folder& folder) {
    Handles::PathOf(folder) = Handles::PathOf(parent) / std::u8string(name.begin(), name.end());
    std::error_code& error = Handles::ErrorOf(folder);
    std::string cName;
    if (!parent.IsOpen()) {
        error = Handles::ErrorOf(parent);
        return error;
    }
    if ((error = NameInFolder(name, cName))) {
        return error;
    }
    // Never through a link: O_NOFOLLOW fails on a link in the folder's place.
    const int fd =
        ::openat(Fd(parent), cName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = LastError();
        struct stat entry {};
        if ((errno == ENOTDIR || errno == ELOOP) &&
            ::fstatat(Fd(parent), cName.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(entry.st_mode)) {
            error = LinkNotFollowed();
        }
        return error;
    }
    Handles::Of(folder) = fd;
    error.clear();
    return {};
}

namespace {

// What the entry NAME of the folder DIR is, as the listing gave its TYPE (a DT_ value).
EntryKind KindOf(int dir, const char* name, unsigned char type, std::error_code& why) {
    if (name[0] == '.') {
        return EntryKind::Hidden;
    }
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            why = LastError();
            return errno == ENOENT ? EntryKind::Other : EntryKind::Unknown; // gone meanwhile
        }
        type = static_cast<unsigned char>(IFTODT(info.st_mode));
    }
    switch (type) {
    case DT_REG:
        return EntryKind::File; // known from the listing itself, even where it cannot be searched
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        break;
    default:
        return EntryKind::Other;
    }
    if (::fstatat(dir, name, &info, 0) != 0) {
        return EntryKind::Unfollowable;
    }
    return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

} // namespace

std::error_code ListEntries(const Folder& folder, const EntryVisitor& each) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    // Read through the folder's own descriptor, from the start (it is read for nothing else):
    // no descriptor more, and a folder that may be read but not searched is listed too (its
    // entries then fail one by one, each with the reason).
    const int fd = Fd(folder);
    if (::lseek(fd, 0, SEEK_SET) < 0 && errno != EBADF) {
        return LastError();
    }
    alignas(dirent64) char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno != EBADF) {
                return LastError();
            }
            // Opened without reading rights (O_PATH): why it cannot be read.
            const int again = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (again < 0) {
                return LastError();
            }
            ::close(again);
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        if (got == 0) {
            return {};
        }
        for (ssize_t at = 0; at < got;) {
            const auto* const entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            std::error_code why;
            const EntryKind kind = KindOf(fd, entry->d_name, entry->d_type, why);
            each(name, kind, why);
        }
    }
}

namespace {

// Whether a source opened in FOLDER may be copied there: SOURCE is the open file, LINK the
// symbolic link it was reached through (null when none). A run as root in a user's folder, say:
// the user may have put there a link to a file only root may read, or a hard link to one; its
// copy would hand the file to the user. In a folder that only the user running can write to, all
// its links and files are that user's doing.
std::error_code CheckOwners(const Folder& folder, const struct stat* link,
                            const struct stat& source) {
    struct stat dir {};
    if (::fstat(Fd(folder), &dir) != 0) {
        return LastError();
    }
    const uid_t runner = ::geteuid();
    if (dir.st_uid == runner && (dir.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
        return {};
    }
    if (link != nullptr && link->st_uid != runner && link->st_uid != source.st_uid) {
        return LinkToAnotherOwner();
    }
    if (dir.st_uid != runner && source.st_uid != dir.st_uid && (source.st_mode & S_IROTH) == 0) {
        return NotTheFolderOwners();
    }
    return {};
}

} // namespace

std::error_code OpenForReading(const Folder& folder, std::string_view name, File& file,
                               std::uint32_t* copyRights) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::string cName;
    if (auto error = NameInFolder(name, cName)) {
        return error;
    }
    struct stat entry {};
    if (::fstatat(Fd(folder), cName.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        return LastError();
    }
    const bool link = S_ISLNK(entry.st_mode);
    struct stat info = entry;
    if (link && ::fstatat(Fd(folder), cName.c_str(), &info, 0) != 0) {
        return LastError();
    }
    if (auto error = CheckRegular(info)) {
        return error;
    }
    // A name that was no link is opened as no link: a link put in its place meanwhile fails.
    const int fd = ::openat(Fd(folder), cName.c_str(),
                            O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (link ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        return LastError();
    }
    Handles::Of(file) = fd;
    if (::fstat(fd, &info) != 0) {
        return LastError();
    }
    if (auto error = CheckRegular(info)) {
        return error;
    }
    if (copyRights != nullptr) {
        *copyRights = info.st_mode & 0777;
    }
    // The owners of the file opened, not of what the link led to before: a link swapped for
    // another meanwhile is another user's link too.
    return CheckOwners(folder, link ? &entry : nullptr, info);
}

std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got) {
    return ReadRetrying(got, [&] { return ::read(Fd(file), data, size); });
}

std::error_code CreateTemporary(const Folder& folder, std::string_view targetName, File& file,
                                std::string& temporaryName) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::string target;
    if (auto error = NameInFolder(targetName, target)) {
        return error;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = TemporaryName(target, RandomSuffix());
        const StopSignalsHeld held;
        // For its owner alone until it is written (Replace gives it its final rights): nobody
        // else can open it, read it half-written or keep it open to write into the copy later.
        const int fd = ::openat(Fd(folder), temporaryName.c_str(),
                                O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) { // in use: RemoveLeftovers leaves it alone
                SetAccessTime(fd, TemporaryMark(temporaryName));
            }
            temporaries.Add(Fd(folder), temporaryName.c_str());
            Handles::Of(file) = fd;
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

void StartWriteBack(File& file) {
    // Only starts: the pages not yet on their way are handed to the disk, nothing waits.
    ::sync_file_range(Fd(file), 0, 0, SYNC_FILE_RANGE_WRITE);
}

std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got) {
    return ReadRetrying(got,
                        [&] { return ::pread(Fd(file), data, size, static_cast<off_t>(offset)); });
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

std::error_code FlushData(File& file) {
    if (::fdatasync(Fd(file)) != 0) {
        return LastError();
    }
    return {};
}

std::error_code FlushFileSystem(const Folder& folder) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    // syncfs reports the write-back errors of the whole file system since this descriptor was
    // opened or last flushed (Linux 5.8 and later; older ones report none). A folder opened
    // without reading rights cannot be flushed so (EBADF): each file is flushed by itself then.
    if (::syncfs(Fd(folder)) != 0) {
        return LastError();
    }
    return {};
}

std::error_code Replace(const Folder& folder, File& temporary, std::string_view temporaryName,
                        std::string_view targetName, std::uint32_t newRights) {
    if (!folder.IsOpen()) {
        return Handles::ErrorOf(folder);
    }
    std::string from;
    std::string to;
    if (auto error = NameInFolder(temporaryName, from)) {
        return error;
    }
    if (auto error = NameInFolder(targetName, to)) {
        return error;
    }
    const int fd = Fd(temporary);
    // The mark comes off while the file is still locked: from now on no run takes it for a
    // leftover, also once it is closed.
    TakeMarkOff(fd);
    GiveFinalRights(folder, to, fd, newRights);
    Handles::Of(temporary) = File::kNoHandle;
    if (auto error = CloseFd(fd)) {
        return error;
    }
    // A plain rename over the old file, never an exchange of the two names. A folder in the
    // target's place stays ("Is a directory").
    if (::renameat(Fd(folder), from.c_str(), Fd(folder), to.c_str()) != 0) {
        return LastError();
    }
    temporaries.Remove(Fd(folder), from.c_str());
    return {};
}

void RemoveQuietly(const Folder& folder, File& file, std::string_view name) {
    if (file.IsOpen()) {
        const int fd = Fd(file);
        Handles::Of(file) = File::kNoHandle;
        ::close(fd);
    }
    std::string cName;
    if (!folder.IsOpen() || NameInFolder(name, cName)) {
        return;
    }
    ::unlinkat(Fd(folder), cName.c_str(), 0);
    temporaries.Remove(Fd(folder), cName.c_str());
}

std::size_t RemoveLeftovers(const Folder& folder) {
    if (!folder.IsOpen()) {
        return 0;
    }
    const int listing = ::openat(Fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        return 0;
    }
    DIR* const dir = ::fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return 0;
    }
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* const name = entry->d_name;
        // Only a regular file named and marked as a temporary file: never opened otherwise (a
        // FIFO or device could block or do something when opened).
        struct stat named {};
        if (!IsTemporaryName(name) ||
            ::fstatat(Fd(folder), name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(named.st_mode) || !Marked(named, name)) {
            continue;
        }
        const int fd =
            ::openat(Fd(folder), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // Nobody holds its lock and it is still marked: the run that wrote it is gone (a live
        // run takes the mark off before it lets the lock go). Removed only while it is still the
        // file at that name.
        struct stat opened {};
        struct stat again {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstat(fd, &opened) == 0 && Marked(opened, name) &&
            ::fstatat(Fd(folder), name, &again, AT_SYMLINK_NOFOLLOW) == 0 &&
            again.st_dev == opened.st_dev && again.st_ino == opened.st_ino &&
            ::unlinkat(Fd(folder), name, 0) == 0) {
            ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
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

bool OpenToForget(const Folder& folder, std::string_view name, File& file, std::uint64_t& size) {
    std::string cName;
    struct stat named {};
    if (!folder.IsOpen() || NameInFolder(name, cName) ||
        ::fstatat(Fd(folder), cName.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(named.st_mode) || named.st_size < (off_t{1} << 20)) {
        return false;
    }
    // Opened only while it is the file seen above: never a FIFO or device put in its place.
    const int fd = ::openat(Fd(folder), cName.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    file = File();
    Handles::Of(file) = fd;
    size = static_cast<std::uint64_t>(opened.st_size);
    return true;
}

void ForgetCached(File& file, std::uint64_t offset, std::uint64_t size) {
    ::posix_fadvise(Fd(file), static_cast<off_t>(offset), static_cast<off_t>(size),
                    POSIX_FADV_DONTNEED);
}

std::thread StartQuietThread(std::function<void()> work) {
    sigset_t all;
    sigfillset(&all);
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &all, &before); // the new thread starts with this mask
    struct Restore {
        const sigset_t& mask;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
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

bool SameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace rz408::fileops
