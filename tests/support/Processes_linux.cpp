// SPDX-License-Identifier: GPL-3.0-or-later
#include "Processes_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <stdexcept>

namespace rz408::test {

namespace {

using Clock = std::chrono::steady_clock;

// Reads the child's two pipes until both end, killing it at DEADLINE; then reaps it.
ChildResult Collect(pid_t pid, int outFd, int errFd, Clock::time_point start,
                    std::chrono::seconds deadline) {
    ChildResult result;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.Out, &result.Err};
    const Clock::time_point killAt = start + deadline;
    Clock::time_point giveUpAt = Clock::time_point::max();
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const Clock::time_point now = Clock::now();
        if (!result.TimedOut && now >= killAt) {
            ::kill(pid, SIGKILL);
            result.TimedOut = true;
            giveUpAt = now + std::chrono::seconds(5); // in case something else holds the pipes
        }
        if (now >= giveUpAt) {
            break;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            (result.TimedOut ? giveUpAt : killAt) - now);
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
    result.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (WIFEXITED(status)) {
        result.ExitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.Signal = WTERMSIG(status);
    }
    return result;
}

struct Pipes {
    int Out[2] = {-1, -1};
    int Err[2] = {-1, -1};
    Pipes() {
        if (::pipe2(Out, O_CLOEXEC) != 0 || ::pipe2(Err, O_CLOEXEC) != 0) {
            throw std::runtime_error("cannot create pipes: " + SystemReason(errno));
        }
    }
    // In the child: standard output and error into the pipes, input from /dev/null.
    void ConnectChild() const {
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
        }
        ::dup2(Out[1], STDOUT_FILENO);
        ::dup2(Err[1], STDERR_FILENO);
    }
    // In the parent: only the reading ends stay.
    void KeepReadEnds() {
        ::close(Out[1]);
        ::close(Err[1]);
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

// Forks; the copy runs CHILD (which ends it) with its standard output and error going into
// the pipes, and this process collects them until DEADLINE.
ChildResult RunChild(const std::function<void(const Pipes&)>& child,
                     std::chrono::seconds deadline) {
    Pipes pipes;
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("cannot fork: " + SystemReason(errno));
    }
    if (pid == 0) {
        child(pipes);
    }
    pipes.KeepReadEnds();
    return Collect(pid, pipes.Out[0], pipes.Err[0], start, deadline);
}

} // namespace

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string FindTool(std::string_view tool) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/bin:/bin:/usr/sbin:/sbin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        const std::filesystem::path candidate = std::filesystem::path(folder) / tool;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

ChildResult RunProgram(const std::vector<std::string>& argv, std::chrono::seconds deadline) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    return RunChild(
        [&](const Pipes& pipes) {
            pipes.ConnectChild();
            ::close_range(3, ~0U, 0); // the program gets its three standard streams only
            ::execvp(args[0], args.data());
            const std::string message =
                "cannot start " + argv[0] + ": " + SystemReason(errno) + "\n";
            WriteFully(STDERR_FILENO, message);
            ::_exit(127);
        },
        deadline);
}

ChildResult RunForked(const std::function<std::string()>& work, std::chrono::seconds deadline) {
    return RunChild(
        [&](const Pipes& pipes) {
            int code = 0;
            try {
                WriteFully(pipes.Out[1], work());
            } catch (const std::exception& e) {
                WriteFully(pipes.Err[1], std::string("exception: ") + e.what());
                code = 1;
            } catch (...) {
                WriteFully(pipes.Err[1], "unknown exception");
                code = 1;
            }
            ::_exit(code);
        },
        deadline);
}

std::string Describe(const ChildResult& result) {
    std::string text;
    if (result.TimedOut) {
        text = "killed at the deadline (it hung)";
    } else if (result.Signal != 0) {
        text = "ended by signal " + std::to_string(result.Signal);
    } else {
        text = "exit " + std::to_string(result.ExitCode);
    }
    return text + " after " + std::to_string(result.Seconds) + " s; stderr: " + result.Err;
}

} // namespace rz408::test
