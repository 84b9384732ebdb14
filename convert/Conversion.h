#pragma once

#include "Module1.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rz408 {

// Rewrites m.CurrentLine so that it holds no code above 127, appending one log entry to
// m.FileLog for each code of the line that had no transliteration and became blanks.
// Leaves m.CharCode at 256.
void TranslateLine(Module1& m);

// A number as messages and log entries write it: a leading blank for zero or more, a minus
// sign for less ("150" -> " 150").
std::string NumberText(std::int64_t n);

// The name of the .txt copy of SOURCE: cut behind the first dot, then "txt"
// ("MAP.DEU" -> "MAP.txt", "a.b.deu" -> "a.txt", "name" -> "nametxt").
std::string TargetName(std::string_view source);

// The log file's name: LogBaseName followed by ".txt" (UTF-8, ready for the file system).
std::string LogFileName(const Module1& m);

struct FileFailure {
    std::string name;   // the file as listed (UTF-8), or the log file's name
    std::string reason; // the system's reason, in words
};

struct RunReport {
    std::uint64_t converted = 0;       // sources whose targets were written whole
    std::vector<FileFailure> failures; // in the order they happened
};

// Converts every NAMES entry of FOLDER to its .txt target and writes the log file of the
// characters that became blanks. A file that fails is reported and the run goes on.
RunReport ConversionRun(Module1& m, const std::filesystem::path& folder,
                        const std::vector<std::string>& names);

// The end-of-run message: CountMessage followed by the number converted, as UTF-8.
std::string CountMessageText(const Module1& m, const RunReport& report);

} // namespace rz408
