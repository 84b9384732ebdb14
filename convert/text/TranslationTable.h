// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace rz408 {

// What one character code of a line becomes.
struct TableEntry {
    std::uint8_t Length = 1;   // bytes of text written: 1 or 2
    char Text[2] = {' ', ' '}; // the replacement (only the first LENGTH bytes count)
    bool Blank = true;         // no replacement: the code becomes a blank and is logged

    // The "no replacement" entry.
    constexpr TableEntry() = default;

    // A replacement of one or two ASCII characters; a code below 128 maps to itself.
    template <std::size_t N>
    requires(N == 2 || N == 3) constexpr TableEntry(const char (&s)[N])
        : Length(static_cast<std::uint8_t>(N - 1)), Text{s[0], N == 3 ? s[1] : ' '}, Blank(false) {}
};

// The fixed table of all 256 codes of Windows-1252: codes below 128 stay as they are, the
// accented letters lose their accent or become two letters, everything else becomes a blank.
extern const std::array<TableEntry, 256> TranslationTable;

} // namespace rz408
