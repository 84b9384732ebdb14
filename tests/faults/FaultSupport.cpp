#include "FaultSupport.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace rz408::faults {

namespace {

using Clock = std::chrono::steady_clock;

std::string SystemReason(int error) {
    return std::strerror(error);
}

// Changes the immutable flag of FILE; returns errno, 0 on success.
int ChangeImmutable(const fs::path& file, bool on) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return errno;
    }
    int flags = 0;
    int error = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        error = errno;
    } else {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
            error = errno;
        }
    }
    ::close(fd);
    return error;
}

// Reads the child's two pipes until both end, killing it at DEADLINE; then reaps it.
ChildResult Collect(pid_t pid, int outFd, int errFd, Clock::time_point start,
                    std::chrono::seconds deadline) {
    ChildResult result;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    const Clock::time_point killAt = start + deadline;
    Clock::time_point giveUpAt = Clock::time_point::max();
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const Clock::time_point now = Clock::now();
        if (!result.timedOut && now >= killAt) {
            ::kill(pid, SIGKILL);
            result.timedOut = true;
            giveUpAt = now + std::chrono::seconds(5); // in case something else holds the pipes
        }
        if (now >= giveUpAt) {
            break;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            (result.timedOut ? giveUpAt : killAt) - now);
        const int ready = ::poll(fds, 2, static_cast<int>(wait.count()) + 1);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || fds[k].revents == 0) {
                continue;
            }
            char buffer[65536];
            const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[k]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[k].fd);
                fds[k].fd = -1;
            }
        }
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0) {
            ::close(fd.fd);
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

struct Pipes {
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    Pipes() {
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
            throw std::runtime_error("cannot create pipes: " + SystemReason(errno));
        }
    }
    // In the child: standard output and error into the pipes, input from /dev/null.
    void ConnectChild() const {
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
        }
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
    }
    // In the parent: only the reading ends stay.
    void KeepReadEnds() {
        ::close(out[1]);
        ::close(err[1]);
    }
};

void WriteFully(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.insert(it->path().filename().string());
    }
    return names;
}

std::uint64_t FreeBytes(const fs::path& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::uint64_t FreeInodes(const fs::path& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) {
        return 0;
    }
    return info.f_favail;
}

std::string FindTool(std::string_view tool) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/bin:/bin:/usr/sbin:/sbin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        const fs::path candidate = fs::path(folder) / tool;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

Scratch::Scratch() {
    std::string pattern = (fs::temp_directory_path() / "rz408-faults-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch folder: " + SystemReason(errno));
    }
    path_ = pattern;
}

Scratch::~Scratch() {
    for (const fs::path& file : immutable_) {
        ChangeImmutable(file, false);
    }
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) {
        if (::umount2(it->c_str(), 0) != 0) {
            ::umount2(it->c_str(), MNT_DETACH);
        }
    }
    std::error_code ignored;
    // Folders a test made unreadable are readable again for the removal.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator it(path_, ignored), end; !ignored && it != end;
         it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(path_, ignored);
}

std::string Scratch::MountTmpfs(const std::string& name, const std::string& options) {
    const fs::path target = path_ / name;
    std::error_code error;
    fs::create_directory(target, error);
    if (error) {
        return "cannot create the mount point: " + error.message();
    }
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        return "cannot mount a tmpfs (" + options + ") here: " + SystemReason(errno);
    }
    mounts_.push_back(target);
    return {};
}

std::string Scratch::RemountReadOnly(const std::string& name) {
    const fs::path target = path_ / name;
    if (::mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return "cannot remount the tmpfs read-only here: " + SystemReason(errno);
    }
    return {};
}

std::string Scratch::MountImage(const fs::path& image, std::uint64_t size, const std::string& name,
                                const std::string& type) {
    const std::string mkfs = FindTool("mkfs." + type);
    const std::string mount = FindTool("mount");
    if (mkfs.empty() || mount.empty()) {
        return "mkfs." + type + " (e2fsprogs) or mount (util-linux) is not installed";
    }
    std::error_code error;
    WriteBytes(image, "");
    fs::resize_file(image, size, error);
    if (error) {
        return "cannot size the image: " + error.message();
    }
    // Inode tables (and a journal) written in full: only file contents can then find the thin
    // disk full.
    const ChildResult made = RunProgram({mkfs, "-q", "-F", "-b", "4096", "-E",
                                         "lazy_itable_init=0,lazy_journal_init=0", image.string()},
                                        std::chrono::seconds(30));
    if (made.exitCode != 0) {
        return "mkfs." + type + " failed: " + Describe(made);
    }
    const fs::path target = path_ / name;
    fs::create_directory(target, error);
    const ChildResult mounted = RunProgram({mount, "-o", "loop", image.string(), target.string()},
                                           std::chrono::seconds(30));
    if (mounted.exitCode != 0) {
        return "cannot mount an image through a loop device here: " + mounted.err;
    }
    mounts_.push_back(target);
    images_.emplace_back(image, target);
    return {};
}

std::string Scratch::MountPowerCutCopy(const std::string& name, const fs::path& copy,
                                       const std::string& snapshot) {
    const fs::path mountPoint = path_ / name;
    const auto it = std::find_if(images_.begin(), images_.end(),
                                 [&](const auto& image) { return image.second == mountPoint; });
    if (it == images_.end()) {
        return "no image is mounted on " + name;
    }
    std::error_code error;
    fs::copy_file(it->first, copy, error);
    if (error) {
        return "cannot copy the image: " + error.message();
    }
    const std::string fsck = FindTool("e2fsck");
    if (fsck.empty()) {
        return "e2fsck (e2fsprogs) is not installed";
    }
    // 0: nothing to repair, 1 and 2: repaired (the journal replayed); more: not repaired.
    const ChildResult repaired =
        RunProgram({fsck, "-f", "-y", copy.string()}, std::chrono::seconds(60));
    if (repaired.exitCode < 0 || repaired.exitCode > 2) {
        return "e2fsck could not repair the copy: " + Describe(repaired) + repaired.out;
    }
    const fs::path target = path_ / snapshot;
    fs::create_directory(target, error);
    const ChildResult mounted =
        RunProgram({FindTool("mount"), "-o", "loop", copy.string(), target.string()},
                   std::chrono::seconds(30));
    if (mounted.exitCode != 0) {
        return "cannot mount the copy: " + mounted.err;
    }
    mounts_.push_back(target);
    images_.emplace_back(copy, target);
    return {};
}

std::string Scratch::RemountImage(const std::string& name) {
    const fs::path target = path_ / name;
    for (const auto& [image, mountPoint] : images_) {
        if (mountPoint != target) {
            continue;
        }
        if (::umount2(target.c_str(), 0) != 0) {
            return "cannot unmount the image: " + SystemReason(errno);
        }
        const ChildResult mounted =
            RunProgram({FindTool("mount"), "-o", "loop", image.string(), target.string()},
                       std::chrono::seconds(30));
        return mounted.exitCode == 0 ? "" : "cannot mount the image again: " + mounted.err;
    }
    return "no image is mounted on " + name;
}

std::string Scratch::SetImmutable(const fs::path& file) {
    if (const int error = ChangeImmutable(file, true)) {
        return "cannot set the immutable flag on this file system: " + SystemReason(error);
    }
    immutable_.push_back(file);
    return {};
}

ChildResult RunProgram(const std::vector<std::string>& argv, std::chrono::seconds deadline) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    Pipes pipes;
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("cannot fork: " + SystemReason(errno));
    }
    if (pid == 0) {
        pipes.ConnectChild();
        ::close_range(3, ~0U, 0); // the program gets its three standard streams only
        ::execvp(args[0], args.data());
        const std::string message = "cannot start " + argv[0] + ": " + SystemReason(errno) + "\n";
        WriteFully(STDERR_FILENO, message);
        ::_exit(127);
    }
    pipes.KeepReadEnds();
    return Collect(pid, pipes.out[0], pipes.err[0], start, deadline);
}

ChildResult RunForked(const std::function<std::string()>& work, std::chrono::seconds deadline) {
    Pipes pipes;
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("cannot fork: " + SystemReason(errno));
    }
    if (pid == 0) {
        int code = 0;
        try {
            WriteFully(pipes.out[1], work());
        } catch (const std::exception& e) {
            WriteFully(pipes.err[1], std::string("exception: ") + e.what());
            code = 1;
        } catch (...) {
            WriteFully(pipes.err[1], "unknown exception");
            code = 1;
        }
        ::_exit(code);
    }
    pipes.KeepReadEnds();
    return Collect(pid, pipes.out[0], pipes.err[0], start, deadline);
}

std::vector<std::string> FailingClose(const std::string& pathPart) {
    return {"env", std::string("LD_PRELOAD=") + RZ408_FAIL_CLOSE_LIB,
            "RZ408_FAIL_CLOSE=" + pathPart};
}

std::string Describe(const ChildResult& result) {
    std::string text;
    if (result.timedOut) {
        text = "killed at the deadline (it hung)";
    } else if (result.signal != 0) {
        text = "ended by signal " + std::to_string(result.signal);
    } else {
        text = "exit " + std::to_string(result.exitCode);
    }
    return text + " after " + std::to_string(result.seconds) + " s; stderr: " + result.err;
}

} // namespace rz408::faults
