#pragma once

// Finding the bytes of a line that need more than a copy: codes above 127, the carriage return
// that ends a line, and the grave accent.

#include <cstddef>

namespace rz408 {

inline bool NeedsTranslation(unsigned char c) {
    return c >= 128 || c == '\r' || c == '`';
}

// Copies the bytes of [FROM, TO) to OUT up to the first one that needs translation, and
// returns how many were copied (TO - FROM when none needs it). May store up to 15 bytes
// beyond the copied ones into OUT, which must have room for them.
std::size_t CopyPlainWords(const char* from, const char* to, char* out);   // 8 bytes at a time
std::size_t CopyPlainVectors(const char* from, const char* to, char* out); // 16 at a time (SSE2)

// The fastest of the two on this machine.
std::size_t CopyPlain(const char* from, const char* to, char* out);

} // namespace rz408
