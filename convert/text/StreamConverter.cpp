// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamConverter.h"

#include "ByteScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace rz408 {

namespace {
// Room behind the block's limit for the stores that may run past it: 64 bytes that grow to
// at most 128 when every one gets a two-letter replacement, and a 64-byte store beyond.
constexpr std::size_t kSlack = 256;

// The longest line kept whole across a flush of the output block.
constexpr std::size_t kKeptLine = 4096;

void Copy64(const char* in, char* out) {
    std::memcpy(out, in, 64);
}

// What each byte needing translation becomes in the stream: the translation table's text,
// with the grave accent made an apostrophe first, as the run does before translating a line.
// (The carriage return, which ends the line, is handled apart.)
struct StreamEntry {
    char Text[2];
    std::uint8_t Length;
    bool Blank;
};

const std::array<StreamEntry, 256> kStreamTable = [] {
    std::array<StreamEntry, 256> table{};
    for (std::size_t code = 0; code < table.size(); ++code) {
        const TableEntry& entry = TranslationTable[code == '`' ? '\'' : code];
        table[code] = {{entry.Text[0], entry.Text[1]}, entry.Length, entry.Blank};
    }
    return table;
}();

} // namespace

std::error_code ConvertSink::WriteBlock(ByteBlock& block, std::size_t size, std::size_t keep) {
    const std::error_code error = WriteTarget(std::string_view(block.Data(), size));
    std::memmove(block.Data(), block.Data() + size, keep);
    return error;
}

std::error_code ConvertSink::Restart() {
    return std::make_error_code(std::errc::operation_not_supported);
}

StreamConverter::StreamConverter(const Module1& m, ConvertSink& sink, std::size_t blockSize)
    : m__(m), m_sink(sink), m_block(std::max<std::size_t>(blockSize, 1) + kSlack),
      m_limit(std::max<std::size_t>(blockSize, 1)) {}

void StreamConverter::Start(std::string recordStart) {
    m_recordStart = std::move(recordStart);
    m_used = 0;
    m_blanks.Clear();
    m_others.Clear();
    m_othersInLine = false;
    m_afterCr = false;
    m_lineOpen = false;
    m_recordOpen = false;
    m_lines = 0;
    m_lineStart = 0;
    m_lastLineStart = -1;
    m_lastLineEnd = -1;
    m_lastLine.clear();
}

std::error_code StreamConverter::Restart() {
    if (auto error = m_sink.Restart()) {
        return error;
    }
    Start(std::move(m_recordStart));
    return {};
}

std::error_code StreamConverter::Feed(std::string_view bytes) {
    std::size_t consumed = 0;
    return FeedBytes<false>(bytes, consumed);
}

std::size_t StreamConverter::TextBelow128(std::string_view bytes, std::error_code& error) {
    std::size_t consumed = 0;
    error = FeedBytes<true>(bytes, consumed);
    return consumed;
}

template <bool StopAtHigh>
std::error_code StreamConverter::FeedBytes(std::string_view bytes, std::size_t& consumed) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    char* base = m_block.Data(); // the block may change at each flush
    char* limit = base + m_limit;
    char* out = base + m_used;
    if (m_afterCr && p < end) {
        m_afterCr = false;
        if (*p == '\n') {
            ++p;
        }
    }
    const char* lineBegin = p; // the current line's first byte in BYTES (as far as it began here)

    // One byte that needs translation; P is behind it.
    const auto translate = [&](unsigned char code) {
        if (code == '\r') {
            EndLine(out);
            if (p == end) {
                m_afterCr = true;
            } else if (*p == '\n') {
                ++p;
            }
            lineBegin = p;
        } else {
            const StreamEntry& entry = kStreamTable[code];
            std::memcpy(out, entry.Text, 2); // both bytes in one store; the length counts
            out += entry.Length;
            m_blanks.AddIf(code, entry.Blank);
        }
    };
    const auto flush = [&]() -> std::error_code {
        if (p > lineBegin) {
            m_lineOpen = true;
        }
        auto error = Flush(out);
        base = m_block.Data();
        limit = base + m_limit;
        out = base + m_used;
        return error;
    };

    // 64 bytes at a time while 66 more can be read behind them: the bytes that need
    // translation are found at once, and behind each of them the next 64 bytes are stored
    // in advance, so that the plain run up to the next one is in place without a loop.
    // With STOP_AT_HIGH: whether the call has come to a code above 127, which it leaves. (The
    // checks are made only then, so that the plain conversion is compiled without them.)
    bool stopped = false;
    const auto going = [&stopped] { return !StopAtHigh || !stopped; };
    const auto stopsAt = [&stopped](unsigned char code) {
        stopped = StopAtHigh && code >= 128;
        return stopped;
    };

    while (going() && end - p >= 130) {
        if (out >= limit) {
            if (auto error = flush()) {
                return error;
            }
        }
        const char* const chunk = p;
        Copy64(chunk, out);
        std::size_t done = 0; // bytes of the chunk translated or copied
        for (std::uint64_t mask = Scanner::Mask64(chunk); mask != 0; mask &= mask - 1) {
            const auto k = static_cast<std::size_t>(std::countr_zero(mask));
            out += k - done;
            if (StopAtHigh && stopsAt(static_cast<unsigned char>(chunk[k]))) {
                p = chunk + k;
                break;
            }
            p = chunk + k + 1;
            translate(static_cast<unsigned char>(chunk[k]));
            done = static_cast<std::size_t>(p - chunk);
            Copy64(p, out);
        }
        if (going()) {
            out += 64 - std::min<std::size_t>(done, 64);
            p = chunk + std::max<std::size_t>(done, 64);
        }
    }
    while (going() && static_cast<std::size_t>(end - p) >= Scanner::kWidth) {
        if (out >= limit) {
            if (auto error = flush()) {
                return error;
            }
        }
        const std::size_t plain = Scanner::Scan(p, out);
        p += plain;
        out += plain;
        if (plain != Scanner::kWidth && !(StopAtHigh && stopsAt(static_cast<unsigned char>(*p)))) {
            translate(static_cast<unsigned char>(*p++));
        }
    }
    while (going() && p < end) {
        if (out >= limit) {
            if (auto error = flush()) {
                return error;
            }
        }
        const auto code = static_cast<unsigned char>(*p);
        if (StopAtHigh && stopsAt(code)) {
            break;
        }
        ++p;
        if (NeedsTranslation(code)) {
            translate(code);
        } else {
            *out++ = static_cast<char>(code);
        }
    }
    if (p > lineBegin) {
        m_lineOpen = true;
    }
    m_used = static_cast<std::size_t>(out - base);
    consumed = static_cast<std::size_t>(p - bytes.data());
    return {};
}

std::error_code StreamConverter::Other(char32_t c, bool /*broken*/) {
    m_afterCr = false; // a line feed no longer follows the carriage return
    if (m_used >= m_limit) {
        if (auto error = Flush(m_block.Data() + m_used)) {
            return error;
        }
    }
    m_block.Data()[m_used++] = ' ';
    m_lineOpen = true;
    m_others.Add(c);
    m_othersInLine = true;
    return {};
}

void StreamConverter::WriteEntries() {
    if (!m_recordOpen) {
        m_sink.WriteLog(m_recordStart);
        m_recordOpen = true;
    }
    m_entries.clear();
    m_blanks.ForEachAscending([&](int code) {
        std::string& entry = m_entryCache[static_cast<std::size_t>(code - 128)];
        if (entry.empty()) {
            AppendLogEntry(entry, m__, code);
        }
        m_entries += entry;
    });
    if (m_othersInLine) {
        m_others.TakeAscending([&](char32_t c) { AppendLogEntry(m_entries, m__, '?', c); });
        m_othersInLine = false;
    }
    m_sink.WriteLog(m_entries);
    m_blanks.Clear();
}

std::error_code StreamConverter::Flush(char* out, bool last) {
    char* const base = m_block.Data();
    const auto size = static_cast<std::size_t>(out - base);
    // A short line that has begun stays in the block, so that the last line of a file can be
    // told afterwards; it must leave room for progress.
    std::size_t keep = 0;
    if (m_lineOpen && m_lineStart >= 0 &&
        size - static_cast<std::size_t>(m_lineStart) <= std::min(kKeptLine, m_limit / 2)) {
        keep = size - static_cast<std::size_t>(m_lineStart);
    }
    m_lineStart = m_lineOpen && keep == 0 ? -1 : 0;
    m_lastLineStart = -1;
    std::error_code error;
    if (size > keep) {
        // The last bytes follow the file's last line end: nothing is kept then.
        error = last ? m_sink.WriteTarget(std::string_view(base, size))
                     : m_sink.WriteBlock(m_block, size - keep, keep);
    }
    m_used = keep;
    return error;
}

std::error_code StreamConverter::Finish() {
    char* out = m_block.Data() + m_used;
    if (m_lineOpen) {
        EndLine(out);
    }
    m_afterCr = false;
    if (m_recordOpen) {
        m_sink.WriteLog("\r\n");
    }
    m_lastLine.clear();
    if (m_lastLineStart >= 0) {
        m_lastLine.assign(m_block.Data() + m_lastLineStart, m_block.Data() + m_lastLineEnd);
    }
    return Flush(out, true);
}

} // namespace rz408
