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
    char text[2];
    std::uint8_t length;
    bool blank;
};

const std::array<StreamEntry, 256> kStreamTable = [] {
    std::array<StreamEntry, 256> table{};
    for (std::size_t code = 0; code < table.size(); ++code) {
        const TableEntry& entry = TranslationTable[code == '`' ? '\'' : code];
        table[code] = {{entry.text[0], entry.text[1]}, entry.length, entry.blank};
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
    : m_(m), sink_(sink), block_(std::max<std::size_t>(blockSize, 1) + kSlack),
      limit_(std::max<std::size_t>(blockSize, 1)) {}

void StreamConverter::Start(std::string recordStart) {
    recordStart_ = std::move(recordStart);
    used_ = 0;
    blanks_.Clear();
    others_.Clear();
    othersInLine_ = false;
    afterCr_ = false;
    lineOpen_ = false;
    recordOpen_ = false;
    lines_ = 0;
    lineStart_ = 0;
    lastLineStart_ = -1;
    lastLineEnd_ = -1;
    lastLine_.clear();
}

std::error_code StreamConverter::Restart() {
    if (auto error = sink_.Restart()) {
        return error;
    }
    Start(std::move(recordStart_));
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

template <bool kStopAtHigh>
std::error_code StreamConverter::FeedBytes(std::string_view bytes, std::size_t& consumed) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    char* base = block_.Data(); // the block may change at each flush
    char* limit = base + limit_;
    char* out = base + used_;
    if (afterCr_ && p < end) {
        afterCr_ = false;
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
                afterCr_ = true;
            } else if (*p == '\n') {
                ++p;
            }
            lineBegin = p;
        } else {
            const StreamEntry& entry = kStreamTable[code];
            std::memcpy(out, entry.text, 2); // both bytes in one store; the length counts
            out += entry.length;
            blanks_.AddIf(code, entry.blank);
        }
    };
    const auto flush = [&]() -> std::error_code {
        if (p > lineBegin) {
            lineOpen_ = true;
        }
        auto error = Flush(out);
        base = block_.Data();
        limit = base + limit_;
        out = base + used_;
        return error;
    };

    // 64 bytes at a time while 66 more can be read behind them: the bytes that need
    // translation are found at once, and behind each of them the next 64 bytes are stored
    // in advance, so that the plain run up to the next one is in place without a loop.
    // With STOP_AT_HIGH: whether the call has come to a code above 127, which it leaves. (The
    // checks are made only then, so that the plain conversion is compiled without them.)
    bool stopped = false;
    const auto going = [&stopped] { return !kStopAtHigh || !stopped; };
    const auto stopsAt = [&stopped](unsigned char code) {
        stopped = kStopAtHigh && code >= 128;
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
            if (kStopAtHigh && stopsAt(static_cast<unsigned char>(chunk[k]))) {
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
        if (plain != Scanner::kWidth && !(kStopAtHigh && stopsAt(static_cast<unsigned char>(*p)))) {
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
        if (kStopAtHigh && stopsAt(code)) {
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
        lineOpen_ = true;
    }
    used_ = static_cast<std::size_t>(out - base);
    consumed = static_cast<std::size_t>(p - bytes.data());
    return {};
}

std::error_code StreamConverter::Other(char32_t c, bool /*broken*/) {
    afterCr_ = false; // a line feed no longer follows the carriage return
    if (used_ >= limit_) {
        if (auto error = Flush(block_.Data() + used_)) {
            return error;
        }
    }
    block_.Data()[used_++] = ' ';
    lineOpen_ = true;
    others_.Add(c);
    othersInLine_ = true;
    return {};
}

void StreamConverter::WriteEntries() {
    if (!recordOpen_) {
        sink_.WriteLog(recordStart_);
        recordOpen_ = true;
    }
    entries_.clear();
    blanks_.ForEachAscending([&](int code) {
        std::string& entry = entryCache_[static_cast<std::size_t>(code - 128)];
        if (entry.empty()) {
            AppendLogEntry(entry, m_, code);
        }
        entries_ += entry;
    });
    if (othersInLine_) {
        others_.TakeAscending([&](char32_t c) { AppendLogEntry(entries_, m_, '?', c); });
        othersInLine_ = false;
    }
    sink_.WriteLog(entries_);
    blanks_.Clear();
}

std::error_code StreamConverter::Flush(char* out, bool last) {
    char* const base = block_.Data();
    const auto size = static_cast<std::size_t>(out - base);
    // A short line that has begun stays in the block, so that the last line of a file can be
    // told afterwards; it must leave room for progress.
    std::size_t keep = 0;
    if (lineOpen_ && lineStart_ >= 0 &&
        size - static_cast<std::size_t>(lineStart_) <= std::min(kKeptLine, limit_ / 2)) {
        keep = size - static_cast<std::size_t>(lineStart_);
    }
    lineStart_ = lineOpen_ && keep == 0 ? -1 : 0;
    lastLineStart_ = -1;
    std::error_code error;
    if (size > keep) {
        // The last bytes follow the file's last line end: nothing is kept then.
        error = last ? sink_.WriteTarget(std::string_view(base, size))
                     : sink_.WriteBlock(block_, size - keep, keep);
    }
    used_ = keep;
    return error;
}

std::error_code StreamConverter::Finish() {
    char* out = block_.Data() + used_;
    if (lineOpen_) {
        EndLine(out);
    }
    afterCr_ = false;
    if (recordOpen_) {
        sink_.WriteLog("\r\n");
    }
    lastLine_.clear();
    if (lastLineStart_ >= 0) {
        lastLine_.assign(block_.Data() + lastLineStart_, block_.Data() + lastLineEnd_);
    }
    return Flush(out, true);
}

} // namespace rz408
