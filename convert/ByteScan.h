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

// Each scanner copies WIDTH bytes from IN to OUT and returns the index of the first of them
// that needs translation, or WIDTH when none does. Bytes from that index on are copied too but
// must be written again by the caller.

// Eight bytes in a 64-bit word, on any processor.
struct WordScanner {
    static constexpr std::size_t kWidth = 8;

    static std::size_t Scan(const char* in, char* out) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHighs = 0x8080808080808080ull;
        // The high bit of each byte that is zero; exact for the lowest such byte (a borrow
        // only spoils the bytes above it).
        const auto zeroBytes = [](std::uint64_t w) { return (w - kOnes) & ~w & kHighs; };
        std::uint64_t word = 0;
        std::memcpy(&word, in, 8);
        std::memcpy(out, in, 8);
        const std::uint64_t found =
            (word & kHighs) | zeroBytes(word ^ (kOnes * '\r')) | zeroBytes(word ^ (kOnes * '`'));
        if (found == 0) {
            return kWidth;
        }
        if constexpr (std::endian::native == std::endian::little) {
            return static_cast<std::size_t>(std::countr_zero(found)) / 8;
        } else {
            std::size_t k = 0;
            while (!NeedsTranslation(static_cast<unsigned char>(in[k]))) {
                ++k;
            }
            return k;
        }
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
};

using Scanner = VectorScanner;

#else

using Scanner = WordScanner;

#endif

} // namespace rz408
