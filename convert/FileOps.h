// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The few file operations the conversion and the listing need, one source file per system
// (FileOps_linux.cpp, FileOps_windows.cpp) beside what both share (FileOps.cpp); CMake
// builds the one that fits.
//
// A run works inside the folder it opened: it opens the folder once (a Folder) and names every
// file it reads, creates, replaces or removes there by its name in that open folder, so that a
// folder renamed, or replaced by another one or by a link, while the run goes on does not send
// the rest of the run elsewhere. File names are UTF-8 as the listing returns them (on Linux, the
// bytes the file system holds); a name is one name of the folder, never a path.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace rz408::fileops {

// The one way into the system handles of File and Folder, for the file operations of each system
// (FileOps_linux.cpp, FileOps_windows.cpp): FileOpsHandles.h.
struct Handles;

// An open file; closed (errors ignored) when it goes out of scope.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            File closing;
            closing.handle_ = std::exchange(handle_, std::exchange(other.handle_, kNoHandle));
        }
        return *this;
    }
    ~File();

    bool IsOpen() const { return handle_ != kNoHandle; }

    // The value of no system handle.
    static constexpr std::intptr_t kNoHandle = -1;

private:
    friend struct Handles;
    std::intptr_t handle_ = kNoHandle; // a file descriptor or a HANDLE; kNoHandle when closed
};

// An open folder, closed when it goes out of scope. On Linux a descriptor of the folder; on
// Windows a handle that keeps the folder from being renamed or removed while it is open, and the
// folder's path (Windows names files by path only).
class Folder {
public:
    Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    bool IsOpen() const { return handle_ != File::kNoHandle; }

private:
    friend struct Handles;
    std::intptr_t handle_ = File::kNoHandle;
    std::filesystem::path path_;
    // Why OpenFolder failed: every operation in a folder that is not open reports it.
    std::error_code error_ = std::make_error_code(std::errc::bad_file_descriptor);
    // Linux: the umask, which a new file's access rights are less of, read once when it opens.
    std::uint32_t umask_ = 022;
};

// Opens FOLDER for the operations below.
std::error_code OpenFolder(const std::filesystem::path& path, Folder& folder);

// Opens the folder NAME of the open folder PARENT for the operations below: only a real folder,
// never a symbolic link (nor, on Windows, a junction) that took its place, so that a walk over a
// folder tree never leaves it, whatever is renamed or replaced meanwhile. The opened folder
// cannot be swapped for another while it is open (on Linux it is held by its descriptor; on
// Windows it cannot be renamed or removed), and it is found relative to PARENT, so the length
// of its path does not matter.
std::error_code OpenSubfolder(const Folder& parent, std::string_view name, Folder& folder);

// What a listing tells of an entry of a folder.
enum class EntryKind {
    Hidden,       // a hidden entry: a name that starts with a dot (Windows: hidden or system)
    File,         // a regular file, or a symbolic link that leads to one
    Unfollowable, // a symbolic link that cannot be followed: leading nowhere, in a loop, or into
                  // a folder that cannot be searched
    Folder,       // a real folder, never a link to one (nor, on Windows, a junction)
    Other,        // anything else: a link to a folder, a FIFO, a socket, a device
    Unknown,      // what the entry is could not be read (the listing gives the reason)
};

// Calls EACH with the name (UTF-8) and kind of every entry of FOLDER but "." and "..", and for
// an entry of kind Unknown the reason. Each entry is looked at relative to the open folder, so
// the length of the folder's path does not matter; an entry gone since it was read is left out.
// Returns why the folder could not be listed, also part way.
using EntryVisitor =
    std::function<void(std::string_view name, EntryKind kind, std::error_code why)>;
std::error_code ListEntries(const Folder& folder, const EntryVisitor& each);

// Opens the file NAME of FOLDER for reading. Only regular files are opened (a symbolic link
// counts as what it points at): the check is made before opening, and again on the open file,
// and the open never waits, so a FIFO or device put in place of a source cannot hang the run.
//
// In a folder that others can write to (on Linux: one whose owner is not the user running, or
// that its group or everyone may write to), nothing that the folder's owner could not read is
// handed over to the folder: a symbolic link made by another user than the one running is
// followed only to a file of the link's own owner (LinkToAnotherOwner otherwise), and a file
// whose owner is not the folder's is read only when everyone may read it (NotTheFolderOwners
// otherwise). So a run as root in a user's folder never copies a file only root may read there.
//
// COPY_RIGHTS, when given, receives the access rights a new copy of the file gets (less the
// umask) where no file stood in its place, as cp gives them: on Linux the source's read, write
// and execute bits for its owner, its group and others, never a set-ID bit, so that a copy is
// never more open than its source (Windows: kNewFileRights; a new file there gets the rights its
// folder passes on).
std::error_code OpenForReading(const Folder& folder, std::string_view name, File& file,
                               std::uint32_t* copyRights = nullptr);

// Reads up to SIZE bytes; GOT is 0 at the end of the file.
std::error_code ReadSome(File& file, char* data, std::size_t size, std::size_t& got);

// Creates a new, empty, hidden file in FOLDER for writing, to take the place of the file
// TARGET_NAME later (Replace); TEMPORARY_NAME receives its name. Until then only the program may
// open it (on Linux it is created with rights for its owner alone). As long as it stays open it
// is marked as in use, and RemoveLeftovers of any run leaves it alone; the mark ends with the
// program, however it ends. It also carries a mark that only this program sets (its time of
// last access, set to a moment ahead that depends on its name: TemporaryMark), by which
// RemoveLeftovers tells it from a file that someone merely named like it.
std::error_code CreateTemporary(const Folder& folder, std::string_view targetName, File& file,
                                std::string& temporaryName);

// Writes all SIZE bytes, or reports why not.
std::error_code WriteAll(File& file, const char* data, std::size_t size);

// Starts writing what was written to FILE so far to the disk, without waiting for it, so that a
// flush later (FlushData, FlushFileSystem) finds little left to wait for. Does nothing where the
// system offers no such start (Windows).
void StartWriteBack(File& file);

// Reads up to SIZE bytes at OFFSET of a file made by CreateTemporary, and writes SIZE bytes
// there (records moved within the log). Where WriteAll goes on afterwards is not fixed: a
// TruncateTo sets it.
std::error_code ReadAt(File& file, std::uint64_t offset, char* data, std::size_t size,
                       std::size_t& got);
std::error_code WriteAt(File& file, std::uint64_t offset, const char* data, std::size_t size);

// Cuts the file back to SIZE bytes and continues writing there.
std::error_code TruncateTo(File& file, std::uint64_t size);

// Writes the data of the open FILE to the disk; reports any write of it the disk refused,
// also one the system made earlier on its own.
std::error_code FlushData(File& file);

// Writing many small files to the disk one by one costs a round trip to the disk each; one
// flush of the whole file system costs one. So the run flushes its copies in batches:
// FlushFileSystem writes everything written on the folder's file system to the disk and reports
// whether the disk refused any of it since the folder was opened or last flushed (Linux 5.8 and
// later tell; not which file, nor whose). On an error, FlushData on each file in question finds
// which of them did not reach the disk. Where the system offers no such flush, FlushFileSystem
// does nothing and reports success, and Replace flushes each file itself before it takes the
// target's place.
std::error_code FlushFileSystem(const Folder& folder);

// Closes TEMPORARY (made by CreateTemporary as TEMPORARY_NAME), reporting what closing found (a
// write the system could not complete), and puts it in the place of TARGET_NAME in one step: a
// file that was there is replaced whole, a symbolic link that was there is replaced itself (never
// written through); a folder there stays and the call fails. The caller has flushed its data to
// the disk before (FlushData, FlushFileSystem): a name never points at data that is not there.
// First the file gets its final rights: when TARGET_NAME is a file, its access rights, and its
// owner and group where this program may give them (run as root); set-user-ID and set-group-ID
// bits stay only under the old file's owner and group (otherwise they are dropped, as cp drops
// them); a new file gets NEW_RIGHTS less the umask (a copy's, kNewFileRights). Its mark of a
// temporary file is taken off. On failure the temporary file stays, closed, for RemoveQuietly.
std::error_code Replace(const Folder& folder, File& temporary, std::string_view temporaryName,
                        std::string_view targetName, std::uint32_t newRights);

// The access rights of a new file that is no copy (the log), less the umask.
inline constexpr std::uint32_t kNewFileRights = 0666;

// Closes FILE when it is open and removes the file NAME of FOLDER, ignoring errors (cleaning up
// after a failure).
void RemoveQuietly(const Folder& folder, File& file, std::string_view name);

// Removes from FOLDER the temporary files that runs which did not end normally left behind (a
// killed program, a power cut): the regular files named like temporary files (IsTemporaryName)
// that carry the mark CreateTemporary sets for that name, and that no live program holds open.
// Anything else stays, however much it looks like one. Never waits. Returns how many it removed.
std::size_t RemoveLeftovers(const Folder& folder);

// True for the names CreateTemporary gives: "." NAME ".rz408-tmp-" and twelve small letters or
// digits.
bool IsTemporaryName(std::string_view name);

// The name of a new temporary file for TARGET_NAME ending in SUFFIX (RandomSuffix): hidden, and
// short enough for any file system whatever the length of TARGET_NAME.
std::string TemporaryName(std::string_view targetName, std::string_view suffix);

// The moment (seconds since 1970, UTC) that marks the temporary file TEMPORARY_NAME as this
// program's own: far ahead, an even second (file systems that keep times to two seconds keep it
// whole), different for different names.
std::int64_t TemporaryMark(std::string_view temporaryName);

// Twelve small letters or digits, different for every call.
std::string RandomSuffix();

// From now on a write beyond the process's file-size limit fails with "File too large" for that
// file, instead of ending the program (SIGXFSZ on Linux; nothing to do on Windows). Every run
// calls it.
void FailWritesBeyondTheSizeLimit();

// Opens the file NAME of FOLDER, a file about to be replaced, for ForgetCached when it is a
// regular file of 1 MiB or more (never a link, FIFO or device); SIZE receives its size. False
// when it is not (always on Windows).
bool OpenToForget(const Folder& folder, std::string_view name, File& file, std::uint64_t& size);

// Drops the data of FILE from OFFSET on, SIZE bytes, from the system's cache (on Linux; data not
// yet written stays): freeing the cache of a large file takes many milliseconds, which replacing
// the file would otherwise cost.
void ForgetCached(File& file, std::uint64_t offset, std::uint64_t size);

// Starts WORK on a thread of its own that no signal is delivered to (on Linux every signal is
// held back there), so that signals reach the threads they reached before, and the thread's
// calls are never cut short by one. Throws when no thread can be started.
std::thread StartQuietThread(std::function<void()> work);

// From now on, when the program is ended by a request to stop (Ctrl+C, a termination request,
// a closed terminal), the temporary files that exist at that moment are removed first, and the
// program then ends as the request would have ended it. A request ignored before the call stays
// ignored. Called once, at the program's start. Works at any length of the folder's path.
void RemoveTemporariesOnInterrupt();

// True for the entries the file list shows: ordinary files (or links to them) that are not
// hidden, and links named like them that cannot be followed, and entries whose kind could not be
// read, so that the run names them as failed with the reason instead of passing over them.
inline bool IsListable(EntryKind kind) {
    return kind == EntryKind::File || kind == EntryKind::Unfollowable || kind == EntryKind::Unknown;
}

// True for the folders a walk over a folder tree enters: real folders that are not hidden, never
// a link to a folder (which could lead outside the tree, or back into it).
inline bool IsEnterableFolder(EntryKind kind) {
    return kind == EntryKind::Folder;
}

// True when two file names (UTF-8) of one folder name the same file.
bool SameFileName(std::string_view a, std::string_view b);

// The error of a source that is no regular file (a FIFO, a device, a socket).
std::error_code NotRegularFile();

// The error of a name that is no single name of a folder ("", ".", "..", or with a separator).
std::error_code NotAFileName();

// The error of a symbolic link (or junction) where OpenSubfolder looks for a folder.
std::error_code LinkNotFollowed();

// The errors of a source that a run in a folder others can write to does not copy there: a
// symbolic link that its owner, another user than the one running, made to a file of another
// owner; a file of another owner than the folder's that not everyone may read.
std::error_code LinkToAnotherOwner();
std::error_code NotTheFolderOwners();

} // namespace rz408::fileops
