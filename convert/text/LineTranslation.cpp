// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineTranslation.h"

#include "LogEntry.h"
#include "TranslationTable.h"

#include <string>

namespace rz408 {

// Maps the line code by code in one pass. That is the same as one replace pass per code from 128
// to 255 in turn, since no replacement holds a code above 127: the mapped line, the log entries
// (one per blanked code, lowest code first) and LineBefore.
void TranslateLine(Module1& m) {
    const std::string& line = m.CurrentLine;
    std::string mapped;
    std::string before; // the line as it stood before the last blank pass (code 254)
    mapped.reserve(line.size() + line.size() / 4);
    before.reserve(mapped.capacity());
    BlankSet blanks;
    for (const char ch : line) {
        const auto code = static_cast<unsigned char>(ch);
        if (code < 128) {
            mapped += ch;
            before += ch;
            continue;
        }
        const TableEntry& entry = TranslationTable[code];
        mapped.append(entry.Text, entry.Length);
        if (code >= 254) {
            before += ch;
        } else {
            before.append(entry.Text, entry.Length);
        }
        if (entry.Blank) {
            blanks.Add(code);
        }
    }
    m.CurrentLine = std::move(mapped);
    m.LineBefore = std::move(before);
    AppendLogEntries(m.FileLog, m, blanks);
    m.CharCode = 256;
}

} // namespace rz408
