// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding the bytes of a line that need more than a copy: codes above 127, the carriage return
// that ends a line, and the grave accent. Plain bytes are copied a word or a vector at a time.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define RZ408_HAVE_SSE2 1
#endif

namespace rz408 {

inline bool NeedsTranslation(unsigned char c) {
    return c >= 128 || c == '\r' || c == '`';
}

// Each scanner's Scan copies WIDTH bytes from IN to OUT and returns the index of the first of
// them that needs translation, or WIDTH when none does. Bytes from that index on are copied too
// but must be written again by the caller. Mask64 marks the bytes of 64 that need translation.

// Eight bytes in a 64-bit word, on any processor.
struct WordScanner {
    static constexpr std::size_t kWidth = 8;

    // The eight bytes at IN as a number whose lowest byte is IN[0].
    static std::uint64_t Load(const char* in) {
        std::uint64_t word = 0;
        std::memcpy(&word, in, 8);
        if constexpr (std::endian::native != std::endian::little) {
            std::uint64_t swapped = 0;
            for (int k = 0; k < 8; ++k) {
                swapped = (swapped << 8) | (word & 0xFF);
                word >>= 8;
            }
            word = swapped;
        }
        return word;
    }

    // The high bit of every byte of WORD that needs translation (exact: no carry crosses
    // from one byte into the next).
    static std::uint64_t Found(std::uint64_t word) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7Full;
        const auto zeroBytes = [](std::uint64_t w) { return ~(((w & kLows) + kLows) | w | kLows); };
        return (word & ~kLows) | zeroBytes(word ^ (kOnes * '\r')) | zeroBytes(word ^ (kOnes * '`'));
    }

    static std::size_t Scan(const char* in, char* out) {
        std::memcpy(out, in, 8);
        const std::uint64_t found = Found(Load(in));
        return found == 0 ? kWidth : static_cast<std::size_t>(std::countr_zero(found)) / 8;
    }

    // Bit K set for each byte IN[K] (K < 64) that needs translation.
    static std::uint64_t Mask64(const char* in) {
        std::uint64_t mask = 0;
        for (unsigned w = 0; w < 8; ++w) {
            for (std::uint64_t found = Found(Load(in + 8 * w)); found != 0; found &= found - 1) {
                mask |= std::uint64_t{1}
                        << (8 * w + static_cast<unsigned>(std::countr_zero(found)) / 8);
            }
        }
        return mask;
    }
};

#ifdef RZ408_HAVE_SSE2

// Sixteen bytes in an SSE2 register (every x86-64 processor has SSE2).
struct VectorScanner {
    static constexpr std::size_t kWidth = 16;

    static std::size_t Scan(const char* in, char* out) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
        const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                             _mm_cmpeq_epi8(v, _mm_set1_epi8('`')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v)) |
                              static_cast<unsigned>(_mm_movemask_epi8(special));
        return mask == 0 ? kWidth : static_cast<std::size_t>(std::countr_zero(mask));
    }

    static std::uint64_t Mask16(const char* in) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                             _mm_cmpeq_epi8(v, _mm_set1_epi8('`')));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(v, special)));
    }

    // Bit K set for each byte IN[K] (K < 64) that needs translation.
    static std::uint64_t Mask64(const char* in) {
        return Mask16(in) | (Mask16(in + 16) << 16) | (Mask16(in + 32) << 32) |
               (Mask16(in + 48) << 48);
    }
};

using Scanner = VectorScanner;

#else

using Scanner = WordScanner;

#endif

} // namespace rz408

namespace rz408 {

// Bit K set for each byte IN[K] (K < 16) above 127.
#ifdef RZ408_HAVE_SSE2
inline unsigned HighBits16(const char* in) {
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in))));
}
#else
inline unsigned HighBits16(const char* in) {
    unsigned mask = 0;
    for (unsigned w = 0; w < 2; ++w) {
        for (std::uint64_t high = WordScanner::Load(in + 8 * w) & 0x8080808080808080ull; high != 0;
             high &= high - 1) {
            mask |= 1u << (8 * w + static_cast<unsigned>(std::countr_zero(high)) / 8);
        }
    }
    return mask;
}
#endif

// Copies the bytes below 128 at the start of IN (SIZE bytes) to OUT and returns their number.
// Copies 16 bytes at a time where SIZE allows, and never more than SIZE bytes.
inline std::size_t CopyAscii(const char* in, char* out, std::size_t size) {
    std::size_t k = 0;
    for (; size - k >= 16; k += 16) {
        std::memcpy(out + k, in + k, 16);
        if (const unsigned high = HighBits16(in + k); high != 0) {
            return k + static_cast<std::size_t>(std::countr_zero(high));
        }
    }
    for (; k < size && static_cast<unsigned char>(in[k]) < 128; ++k) {
        out[k] = in[k];
    }
    return k;
}

// The number of bytes below 128 at the start of IN (SIZE bytes).
inline std::size_t AsciiRun(const char* in, std::size_t size) {
    std::size_t k = 0;
    for (; size - k >= 16; k += 16) {
        if (const unsigned high = HighBits16(in + k); high != 0) {
            return k + static_cast<std::size_t>(std::countr_zero(high));
        }
    }
    while (k < size && static_cast<unsigned char>(in[k]) < 128) {
        ++k;
    }
    return k;
}

} // namespace rz408
