// SPDX-License-Identifier: GPL-3.0-or-later
// The search for the bytes that need translation, eight and sixteen at a time.

#include "ByteScan.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>

namespace rz408 {
namespace {

std::size_t PlainLength(const std::string& bytes, std::size_t from, std::size_t width) {
    std::size_t k = 0;
    while (k < width && !NeedsTranslation(static_cast<unsigned char>(bytes[from + k]))) {
        ++k;
    }
    return k;
}

template <typename S>
class ScannerTest : public testing::Test {};

#ifdef RZ408_HAVE_SSE2
using Scanners = testing::Types<WordScanner, VectorScanner>;
#else
using Scanners = testing::Types<WordScanner>;
#endif
TYPED_TEST_SUITE(ScannerTest, Scanners);

// Each byte that needs translation, and bytes next to them in value, at every position of the
// window, with the window at every offset of a buffer.
TYPED_TEST(ScannerTest, FindsTheFirstByteThatNeedsTranslation) {
    constexpr std::size_t kWidth = TypeParam::kWidth;
    const std::string plain = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ";
    for (const int special : std::initializer_list<int>{'\r', '`', 128, 150, 255, '\n', '\x0C', '_',
                                                        'a', 0x7F, 0, 0x8D, 0xE0}) {
        for (std::size_t at = 0; at < plain.size(); ++at) {
            std::string bytes = plain;
            bytes[at] = static_cast<char>(special);
            for (std::size_t from = 0; from + kWidth <= bytes.size(); ++from) {
                SCOPED_TRACE(std::to_string(special) + " at " + std::to_string(at) + " from " +
                             std::to_string(from));
                std::string out(kWidth, '#');
                const std::size_t n = TypeParam::Scan(bytes.data() + from, out.data());
                ASSERT_EQ(n, PlainLength(bytes, from, kWidth));
                EXPECT_EQ(out, bytes.substr(from, kWidth));
            }
        }
    }
}

std::uint64_t ReferenceMask(const std::string& bytes, std::size_t from) {
    std::uint64_t mask = 0;
    for (std::size_t k = 0; k < 64; ++k) {
        if (NeedsTranslation(static_cast<unsigned char>(bytes[from + k]))) {
            mask |= std::uint64_t{1} << k;
        }
    }
    return mask;
}

// Bytes that need translation next to bytes that are one off in value (0x0C after CR, 'a'
// after the grave accent), where a carry from one byte into the next would show.
TYPED_TEST(ScannerTest, MasksOf64Bytes) {
    std::mt19937 random(4);
    const std::string nasty = "\r\x0C\x0E`a_\x80\x7F\xFF\x01";
    for (int round = 0; round < 5000; ++round) {
        std::string bytes(80, 'x');
        const auto density = 1 + random() % 8;
        for (char& ch : bytes) {
            if (random() % density == 0) {
                ch = random() % 3 == 0 ? static_cast<char>(random() % 256)
                                       : nasty[random() % nasty.size()];
            }
        }
        for (std::size_t from = 0; from <= 16; from += 5) {
            ASSERT_EQ(TypeParam::Mask64(bytes.data() + from), ReferenceMask(bytes, from))
                << testing::PrintToString(bytes.substr(from, 64));
        }
    }
}

} // namespace
} // namespace rz408
