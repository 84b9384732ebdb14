// The search for the bytes that need translation, eight and sixteen at a time.

#include "ByteScan.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>

namespace rz408 {
namespace {

std::size_t PlainLength(const std::string& bytes, std::size_t from) {
    std::size_t k = from;
    while (k < bytes.size() && !NeedsTranslation(static_cast<unsigned char>(bytes[k]))) {
        ++k;
    }
    return k - from;
}

using CopyFunction = std::size_t (*)(const char*, const char*, char*);

class ByteScanCases : public testing::TestWithParam<std::pair<const char*, CopyFunction>> {};

// Each byte that needs translation, and a few that are close to them, at every position of
// buffers of every length up to 40, from every start.
TEST_P(ByteScanCases, StopsAtTheFirstByteThatNeedsTranslation) {
    const CopyFunction copy = GetParam().second;
    const std::string plain = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
    for (const int special :
         std::initializer_list<int>{'\r', '`', 128, 150, 255, '\n', '\x0C', '_', 'a', 0x7F, 0}) {
        for (std::size_t size = 0; size <= plain.size(); ++size) {
            for (std::size_t at = 0; at <= size; ++at) {
                std::string bytes = plain.substr(0, size);
                if (at < size) {
                    bytes[at] = static_cast<char>(special);
                }
                for (std::size_t from = 0; from <= size; from += 3) {
                    SCOPED_TRACE(std::to_string(special) + " at " + std::to_string(at) + " of " +
                                 std::to_string(size) + " from " + std::to_string(from));
                    std::string out(size + 16, '#');
                    const std::size_t n =
                        copy(bytes.data() + from, bytes.data() + size, out.data());
                    ASSERT_EQ(n, PlainLength(bytes, from));
                    EXPECT_EQ(out.substr(0, n), bytes.substr(from, n));
                }
            }
        }
    }
}

TEST_P(ByteScanCases, RandomBuffers) {
    const CopyFunction copy = GetParam().second;
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 100, 'x');
        for (char& ch : bytes) {
            const auto r = random() % 64;
            ch = r == 0 ? static_cast<char>(random() % 256) : static_cast<char>('a' + r % 26);
        }
        std::string out(bytes.size() + 16, '#');
        const std::size_t n = copy(bytes.data(), bytes.data() + bytes.size(), out.data());
        ASSERT_EQ(n, PlainLength(bytes, 0));
        EXPECT_EQ(out.substr(0, n), bytes.substr(0, n));
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, ByteScanCases,
                         testing::Values(std::make_pair("Words", &CopyPlainWords),
                                         std::make_pair("Vectors", &CopyPlainVectors),
                                         std::make_pair("Chosen", &CopyPlain)),
                         [](const auto& info) { return std::string(info.param.first); });

} // namespace
} // namespace rz408
