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
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &m_header, m_old) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {m_old[0], m_old[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0 &&
                    (m_old[0].effective & (1u << CAP_DAC_OVERRIDE)) != 0;
    }
    ~WithoutReadOverride() { ::syscall(SYS_capset, &m_header, m_old); }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;
    bool Dropped() const { return m_dropped; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_old[2]{};
    bool m_dropped = false;
};

} // namespace rz408::test
