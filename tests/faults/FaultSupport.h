#pragma once

// What the fault tests share: a scratch folder that can hold small tmpfs disks, child processes
// run against a deadline, whole files and folder entries.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rz408::faults {

namespace fs = std::filesystem;

// The whole content of FILE, byte for byte ("" when it cannot be read).
std::string ReadBytes(const fs::path& file);

// Creates or replaces FILE with exactly BYTES.
void WriteBytes(const fs::path& file, std::string_view bytes);

// The names in FOLDER, hidden ones included; empty when it cannot be listed.
std::set<std::string> Entries(const fs::path& folder);

// Free bytes and free inodes of the file system that holds PATH.
std::uint64_t FreeBytes(const fs::path& path);
std::uint64_t FreeInodes(const fs::path& path);

// The path of TOOL found through PATH, or "" when it is not installed.
std::string FindTool(std::string_view tool);

// A fresh folder under the system's temporary folder. Whatever a test did there, it is undone
// when the scratch folder goes: immutable flags cleared, mounts unmounted, everything removed.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const fs::path& path() const { return path_; }

    // Mounts a new tmpfs with OPTIONS ("size=1m,nr_inodes=32") on the new folder NAME.
    // Returns why it could not ("" when mounted).
    std::string MountTmpfs(const std::string& name, const std::string& options);

    // Makes a mount made by MountTmpfs read-only. Returns why it could not.
    std::string RemountReadOnly(const std::string& name);

    // Makes a file system of TYPE ("ext2", "ext4") in the new file IMAGE (of SIZE bytes, sparse)
    // and mounts it through a loop device on the new folder NAME. Put on a small tmpfs, the image
    // is a thin disk: it offers more room than it has, and a write that finds no room fails only
    // when it reaches the disk (a flush), not when it is made. Returns why it could not.
    std::string MountImage(const fs::path& image, std::uint64_t size, const std::string& name,
                           const std::string& type = "ext2");

    // The disk after a power cut: copies the image mounted on NAME to COPY as it stands now (what
    // the system has not written to it yet is lost), repairs the copy as the system does at the
    // next start (e2fsck -fy: the journal replayed), and mounts it on the new folder SNAPSHOT.
    // Returns why it could not.
    std::string MountPowerCutCopy(const std::string& name, const fs::path& copy,
                                  const std::string& snapshot);

    // Unmounts and mounts again the image mounted on NAME, so that what is read afterwards
    // comes from the disk, not from the cache. Returns why it could not.
    std::string RemountImage(const std::string& name);

    // Sets the immutable flag of FILE (cleared again when the scratch folder goes).
    // Returns why it could not.
    std::string SetImmutable(const fs::path& file);

private:
    fs::path path_;
    std::vector<fs::path> mounts_;
    std::vector<std::pair<fs::path, fs::path>> images_; // image, mount point
    std::vector<fs::path> immutable_;
};

// What a child process did.
struct ChildResult {
    int exitCode = -1;     // its exit status, -1 when it did not exit by itself
    int signal = 0;        // the signal that ended it, 0 when it exited
    bool timedOut = false; // it was killed at the deadline
    std::string out;       // its standard output
    std::string err;       // its standard error
    double seconds = 0;    // from start to end
};

// Runs ARGV (the program found through PATH when it has no slash), with standard input from
// /dev/null and no other file open; kills it when it is not done by DEADLINE.
ChildResult RunProgram(const std::vector<std::string>& argv, std::chrono::seconds deadline);

// Runs WORK in a forked copy of this process; what it returns arrives as the result's OUT.
// The copy is killed when it is not done by DEADLINE, so a WORK that hangs cannot hang the test.
ChildResult RunForked(const std::function<std::string()>& work, std::chrono::seconds deadline);

// How a child ended, in words, for failure messages.
std::string Describe(const ChildResult& result);

// A prefix for RunProgram's ARGV that makes close() fail with "Input/output error" (after
// closing) for every file whose path holds PATH_PART, as a network or quota-limited file system
// reports at the close a write that did not arrive: the preloaded library
// RZ408_FAIL_CLOSE_LIB (tests/faults/FailClose.cpp).
std::vector<std::string> FailingClose(const std::string& pathPart);

} // namespace rz408::faults
