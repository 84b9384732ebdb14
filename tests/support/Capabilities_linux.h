// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Root's rights to read past permission bits, dropped for a while (Linux).

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace rz408::test {

// Root reads every file; without the capabilities that allow it, a file of mode 000 is
// unreadable as for anybody else.
class WithoutReadOverride {
public:
    WithoutReadOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, old_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {old_[0], old_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0 &&
                   (old_[0].effective & (1u << CAP_DAC_OVERRIDE)) != 0;
    }
    ~WithoutReadOverride() { ::syscall(SYS_capset, &header_, old_); }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;
    bool Dropped() const { return dropped_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct old_[2]{};
    bool dropped_ = false;
};

} // namespace rz408::test
