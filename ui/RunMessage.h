// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the converter window says when a run has ended, in the language chosen.

#include <QString>

#include <cstddef>

namespace rz408 {

struct Module1;
struct ProgramMessages;
struct RunReport;

// A list in the message names at most this many entries, then says how many more there are.
inline constexpr std::size_t kNamedAtMost = 20;

// The end-of-run message: CountMessage followed by the number converted; then, each after a
// blank line, the sources that could not be converted (their number, then each with what
// failed), the log file when it could not be written, and the sources read as Unicode (each
// with its encoding, and how many of its sequences were broken and became blanks). The
// program's words come from MESSAGES; names and the system's reasons go in as they are.
QString RunMessage(const Module1& m, const ProgramMessages& messages, const RunReport& report);

} // namespace rz408
