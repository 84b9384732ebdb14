#include "ByteScan.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define RZ408_HAVE_SSE2 1
#endif

namespace rz408 {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// The high bit of each byte of WORD that is zero; exact for the lowest such byte.
std::uint64_t ZeroBytes(std::uint64_t word) {
    return (word - kOnes) & ~word & kHighs;
}

std::size_t CopyTail(const char* from, const char* to, char* out) {
    const char* p = from;
    while (p < to && !NeedsTranslation(static_cast<unsigned char>(*p))) {
        *out++ = *p++;
    }
    return static_cast<std::size_t>(p - from);
}

} // namespace

std::size_t CopyPlainWords(const char* from, const char* to, char* out) {
    static_assert(std::endian::native == std::endian::little ||
                  std::endian::native == std::endian::big);
    const char* p = from;
    while (to - p >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        std::memcpy(out, p, 8);
        const std::uint64_t found =
            (word & kHighs) | ZeroBytes(word ^ (kOnes * '\r')) | ZeroBytes(word ^ (kOnes * '`'));
        if (found != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                const auto k = static_cast<std::size_t>(std::countr_zero(found) / 8);
                return static_cast<std::size_t>(p - from) + k;
            } else {
                // The borrow of ZeroBytes only spoils bytes behind the first hit, which a
                // byte-wise look at these eight does not need.
                return static_cast<std::size_t>(p - from) + CopyTail(p, p + 8, out);
            }
        }
        p += 8;
        out += 8;
    }
    return static_cast<std::size_t>(p - from) + CopyTail(p, to, out);
}

#ifdef RZ408_HAVE_SSE2

std::size_t CopyPlainVectors(const char* from, const char* to, char* out) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i grave = _mm_set1_epi8('`');
    const char* p = from;
    while (to - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
        const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, grave));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v)) |
                              static_cast<unsigned>(_mm_movemask_epi8(special));
        if (mask != 0) {
            return static_cast<std::size_t>(p - from) +
                   static_cast<std::size_t>(std::countr_zero(mask));
        }
        p += 16;
        out += 16;
    }
    return static_cast<std::size_t>(p - from) + CopyPlainWords(p, to, out);
}

std::size_t CopyPlain(const char* from, const char* to, char* out) {
    return CopyPlainVectors(from, to, out);
}

#else

std::size_t CopyPlainVectors(const char* from, const char* to, char* out) {
    return CopyPlainWords(from, to, out);
}

std::size_t CopyPlain(const char* from, const char* to, char* out) {
    return CopyPlainWords(from, to, out);
}

#endif

} // namespace rz408
