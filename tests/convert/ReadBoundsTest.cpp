// SPDX-License-Identifier: GPL-3.0-or-later
// The streaming converter reads ahead in blocks of 16 and 64 bytes: it must never read beyond
// the bytes it was given. They are placed right before a page that cannot be read, so that
// any read beyond them ends the test with a fault.

#include "ConvertSupport.h"
#include "StreamConverter.h"
#include "Unicode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace rz408 {
namespace {

class GuardedBytes {
public:
    GuardedBytes() {
        m_page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        void* memory =
            ::mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED) {
            m_memory = static_cast<char*>(memory);
            ::mprotect(m_memory + m_page, m_page, PROT_NONE);
        }
    }
    ~GuardedBytes() {
        if (m_memory != nullptr) {
            ::munmap(m_memory, 2 * m_page);
        }
    }
    bool Ready() const { return m_memory != nullptr; }

    // BYTES, ending where the unreadable page begins.
    std::string_view Place(std::string_view bytes) {
        char* at = m_memory + m_page - bytes.size();
        std::memcpy(at, bytes.data(), bytes.size());
        return {at, bytes.size()};
    }

private:
    std::size_t m_page = 0;
    char* m_memory = nullptr;
};

class NullSink : public ConvertSink {
public:
    std::error_code WriteTarget(std::string_view bytes) override {
        Size += bytes.size();
        return {};
    }
    void WriteLog(std::string_view) override {}
    std::size_t Size = 0;
};

// Every length up to 300, with a CR LF (whose LF is skipped) at every place near the end of
// a 64-byte step, and plain bytes or umlauts around it.
TEST(StreamConverter, NeverReadsBeyondTheBytesGiven) {
    GuardedBytes guarded;
    ASSERT_TRUE(guarded.Ready());
    const Module1 m = test::German();
    for (const char filler : {'x', '\xE4'}) {
        for (std::size_t size = 1; size <= 300; ++size) {
            for (std::size_t cr = 0; cr + 1 < size; cr += (cr % 64 > 56 ? 1 : 7)) {
                SCOPED_TRACE("size " + std::to_string(size) + ", CR at " + std::to_string(cr));
                std::string bytes(size, filler);
                bytes[cr] = '\r';
                bytes[cr + 1] = '\n';
                NullSink sink;
                StreamConverter converter(m, sink, 100);
                converter.Start("f : ");
                ASSERT_FALSE(converter.Feed(guarded.Place(bytes)));
                ASSERT_FALSE(converter.Finish());
                // The filler bytes, once or twice each, the CR LF, and a CR LF after the last line.
                const std::size_t fillers = size - 2;
                EXPECT_EQ(sink.Size,
                          (filler == 'x' ? fillers : 2 * fillers) + 2 + (cr + 2 < size ? 2 : 0));
            }
        }
    }
}

// Takes text and counts it.
class CountingTextSink : public TextSink {
public:
    std::error_code Text(std::string_view cp1252) override {
        Codes += cp1252.size();
        return {};
    }
    std::error_code Other(char32_t, bool) override {
        ++Others;
        return {};
    }
    std::size_t Codes = 0;
    std::size_t Others = 0;
};

// The UTF-8 decoding reads 16 bytes at a time too: every length up to 100, with a sequence of
// two, three or four bytes (cut short or whole) at every place near the end.
TEST(Utf8Decoding, NeverReadsBeyondTheBytesGiven) {
    GuardedBytes guarded;
    ASSERT_TRUE(guarded.Ready());
    const Module1 m = test::German();
    for (const std::string_view sequence : {"\xC3\xBC", "\xE2\x80\x9E", "\xF0\x9F\x98\x80"}) {
        for (std::size_t size = 1; size <= 100; ++size) {
            for (std::size_t at = size > 20 ? size - 20 : 0; at < size; ++at) {
                SCOPED_TRACE(std::to_string(sequence.size()) + " bytes at " + std::to_string(at) +
                             " of " + std::to_string(size));
                std::string bytes(size, 'x');
                bytes.replace(at, std::min(sequence.size(), size - at),
                              sequence.substr(0, size - at));
                const std::string_view placed = guarded.Place(bytes);
                const bool whole = at + sequence.size() <= size;
                Utf8Detector detector;
                EXPECT_TRUE(detector.Feed(placed));
                EXPECT_EQ(detector.Finish(), whole);
                CountingTextSink counted;
                Utf8Decoder decoder;
                ASSERT_FALSE(decoder.Feed(placed, counted));
                ASSERT_FALSE(decoder.Finish(counted));
                EXPECT_EQ(decoder.Broken(), whole ? 0u : 1u);
                EXPECT_EQ(counted.Codes + counted.Others,
                          size - std::min(sequence.size(), size - at) + 1);
                NullSink nothing;
                StreamConverter converter(m, nothing, 100);
                converter.Start("f : ");
                std::error_code error;
                EXPECT_EQ(converter.TextBelow128(placed, error), at);
                EXPECT_FALSE(error);
                EXPECT_EQ(counted.TextBelow128(placed, error), at);
            }
        }
    }
}

} // namespace
} // namespace rz408
