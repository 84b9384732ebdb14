// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunReport.h"

#include "Encoding.h"
#include "LogEntry.h"

namespace rz408 {

std::string CountMessageText(const Module1& m, const RunReport& report) {
    return Cp1252ToUtf8(m.CountMessage) + NumberText(static_cast<std::int64_t>(report.Converted));
}

} // namespace rz408
