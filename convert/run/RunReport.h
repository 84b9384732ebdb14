// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a conversion run reports: the files converted, the files that failed and why, and the
// sources read as Unicode text.

#include "Module1.h"
#include "SourceEncoding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rz408 {

struct FileFailure {
    // What failed: a listed source, not converted (its old copy stays), or the log file, not
    // written (the old log stays).
    enum class Kind { Source, LogFile };

    std::string Name; // the file as listed (UTF-8), or the log file's name
    // For a listed file: what failed, and the system's reason in words ("cannot be read:
    // Permission denied" for the source itself, "cannot write x.txt: Is a directory");
    // for the log file: the system's reason alone.
    std::string Reason;
    Kind What = Kind::Source;

    // The reason of a listed file's failure in parts, for messages in other languages: what the
    // run could not do with which FILE, and CAUSE, the system's reason alone (as the system
    // words it). Read: the source FILE could not be read; Write: its copy FILE could not be
    // written; CopyIsLog: its copy FILE would overwrite the log file (no CAUSE). Other: the
    // reason says it all (FILE and CAUSE empty). Each has its initial value here, so that a
    // brace list of the first members alone stays complete.
    enum class Action { Other, Read, Write, CopyIsLog };
    Action Step = Action::Other;
    std::string File = {};
    std::string Cause = {};
};

// A source that was read as Unicode text (UTF-8 or UTF-16) rather than Windows-1252.
struct UnicodeSource {
    std::string Name; // as listed (UTF-8)
    SourceEncoding Encoding = SourceEncoding::Utf8;
    // Sequences of the source that were not valid in its encoding; each became a blank with a
    // log entry (a stray byte in UTF-8, a UTF-16 source cut off mid-character, a lone
    // surrogate, or a source that is not in the encoding the user gave).
    std::uint64_t BrokenSequences = 0;
};

struct RunReport {
    std::uint64_t Converted = 0;       // sources whose targets were written whole
    std::vector<FileFailure> Failures; // in the order they happened
    // The converted sources that were read as UTF-8 or UTF-16, in the list's order.
    std::vector<UnicodeSource> UnicodeSources;
    // The run was stopped by RunOptions::Cancel before it reached the end of the list.
    bool Cancelled = false;
};

// The end-of-run message: CountMessage followed by the number converted, as UTF-8.
std::string CountMessageText(const Module1& m, const RunReport& report);

} // namespace rz408
