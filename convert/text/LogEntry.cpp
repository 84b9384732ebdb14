// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogEntry.h"

namespace rz408 {

std::string NumberText(std::int64_t n) {
    if (n < 0) {
        return std::to_string(n); // the minus sign takes the blank's place
    }
    return " " + std::to_string(n);
}

void AppendLogEntry(std::string& out, const Module1& m, int code) {
    AppendLogEntry(out, m, static_cast<char>(static_cast<unsigned char>(code)), code);
}

void AppendLogEntry(std::string& out, const Module1& m, char character, std::int64_t number) {
    out += "\r\n";
    out.append(13, ' ');
    out += character;
    out += m.LogTextBefore;
    out += NumberText(number);
    out += m.LogTextAfter;
}

void AppendLogEntries(std::string& out, const Module1& m, const BlankSet& blanks) {
    blanks.ForEachAscending([&](int code) { AppendLogEntry(out, m, code); });
}

} // namespace rz408
