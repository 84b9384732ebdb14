// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace rz408 {

// The program-wide variables. The desktop program creates one Module1 and hands it to the
// windows and the conversion; the batch command makes one per run. It lives with the text, the
// lowest layer, because the line and stream translation read and write it (CurrentLine, FileLog,
// CharCode) and the log entries are made from its texts.
//
// Every text here is single-byte Windows-1252, as it goes into the log file.
struct Module1 {
    // Conversion state, shared by TranslateLine and ConversionRun.
    std::string CurrentLine;
    std::string LineBefore;
    std::string FileLog;
    std::int16_t CharCode = 0;

    // The installed language's texts; empty until a language is chosen.
    std::string LogTextBefore;
    std::string LogTextAfter;
    std::string CountMessage;
    std::string DriveMessage;
    std::string LogBaseName;
};

} // namespace rz408
