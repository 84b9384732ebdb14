// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The log entries of the characters that became blanks, and the number text they are written
// with.

#include "Module1.h"

#include <bit>
#include <cstdint>
#include <string>

namespace rz408 {

// A number as messages and log entries write it: a leading blank for zero or more, a minus
// sign for less ("150" -> " 150").
std::string NumberText(std::int64_t n);

// The codes 128 to 255 that became blanks in one line.
class BlankSet {
public:
    void Add(unsigned char code) { AddIf(code, true); }
    // Adds CODE when YES, without a branch; CODE below 128 only with YES false.
    void AddIf(unsigned char code, bool yes) {
        const unsigned index = (static_cast<unsigned>(code) - 128u) & 127u;
        m_bits[index >> 6] |= std::uint64_t{yes} << (index & 63u);
    }
    bool Empty() const { return (m_bits[0] | m_bits[1]) == 0; }
    void Clear() { m_bits[0] = m_bits[1] = 0; }

    // Calls F(code) for each code of the set, lowest first.
    template <typename F>
    void ForEachAscending(F f) const {
        for (unsigned word = 0; word < 2; ++word) {
            for (std::uint64_t bits = m_bits[word]; bits != 0; bits &= bits - 1) {
                f(static_cast<int>(128 + word * 64 +
                                   static_cast<unsigned>(std::countr_zero(bits))));
            }
        }
    }

private:
    std::uint64_t m_bits[2] = {0, 0};
};

// Appends the log entry of CODE: CR LF, 13 blanks, the code's own byte, LogTextBefore, the code
// as number text, LogTextAfter.
void AppendLogEntry(std::string& out, const Module1& m, int code);

// Appends a log entry that shows CHARACTER (one Windows-1252 byte) and NUMBER: that of a
// character Windows-1252 lacks shows '?' and its Unicode number.
void AppendLogEntry(std::string& out, const Module1& m, char character, std::int64_t number);

// Appends the log entries of every code of BLANKS in ascending order.
void AppendLogEntries(std::string& out, const Module1& m, const BlankSet& blanks);

} // namespace rz408
