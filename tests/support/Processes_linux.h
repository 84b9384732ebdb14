// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Child processes run against a deadline, their output caught (Linux).

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rz408::test {

// What a child process did.
struct ChildResult {
    int ExitCode = -1;     // its exit status, -1 when it did not exit by itself
    int Signal = 0;        // the signal that ended it, 0 when it exited
    bool TimedOut = false; // it was killed at the deadline
    std::string Out;       // its standard output
    std::string Err;       // its standard error
    double Seconds = 0;    // from start to end
};

// Runs ARGV (the program found through PATH when it has no slash), with standard input from
// /dev/null and no other file open; kills it when it is not done by DEADLINE.
ChildResult RunProgram(const std::vector<std::string>& argv, std::chrono::seconds deadline);

// Runs WORK in a forked copy of this process; what it returns arrives as the result's OUT.
// The copy is killed when it is not done by DEADLINE, so a WORK that hangs cannot hang the test.
ChildResult RunForked(const std::function<std::string()>& work, std::chrono::seconds deadline);

// How a child ended, in words, for failure messages.
std::string Describe(const ChildResult& result);

// The path of TOOL found through PATH, or "" when it is not installed.
std::string FindTool(std::string_view tool);

// Why ERROR (an errno value) happened, in the system's words.
std::string SystemReason(int error);

} // namespace rz408::test
