// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the libraries preloaded into the batch command by the fault tests share: which open file
// a call is about.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rz408::shim {

// True when the path of the open file FD holds the text of the environment variable VARIABLE
// (never when it is unset or empty).
inline bool PathHolds(int fd, const char* variable) {
    const char* const part = std::getenv(variable);
    if (part == nullptr || *part == '\0') {
        return false;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[8192];
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return false;
    }
    path[length] = '\0';
    return std::strstr(path, part) != nullptr;
}

// The system's own function NAME, which the preloaded one stands in front of.
template <typename Function>
Function SystemFunction(const char* name) {
    void* const symbol = ::dlsym(RTLD_NEXT, name);
    Function function = nullptr;
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

} // namespace rz408::shim
