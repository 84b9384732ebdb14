#include "StreamConverter.h"

#include "ByteScan.h"

#include <algorithm>

namespace rz408 {

namespace {
// Room behind the block's limit for the stores that may run past it: a 16-byte copy of plain
// bytes, a two-letter replacement, a line end.
constexpr std::size_t kSlack = 64;
} // namespace

StreamConverter::StreamConverter(const Module1& m, ConvertSink& sink, std::size_t blockSize)
    : m_(m), sink_(sink), block_(std::max<std::size_t>(blockSize, 1) + kSlack),
      limit_(std::max<std::size_t>(blockSize, 1)) {}

void StreamConverter::Start(std::string recordStart) {
    recordStart_ = std::move(recordStart);
    used_ = 0;
    blanks_.Clear();
    afterCr_ = false;
    lineOpen_ = false;
    recordOpen_ = false;
    lines_ = 0;
    lineStart_ = 0;
    lastLineStart_ = -1;
    lastLineEnd_ = -1;
    lastLine_.clear();
}

std::error_code StreamConverter::Feed(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    char* const base = block_.data();
    char* const limit = base + limit_;
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
        } else if (code == '`') {
            *out++ = '\'';
        } else {
            const TableEntry& entry = TranslationTable[code];
            out[0] = entry.text[0];
            out[1] = entry.text[1];
            out += entry.length;
            if (entry.blank) {
                blanks_.Add(code);
            }
        }
    };
    const auto flush = [&]() -> std::error_code {
        if (p > lineBegin) {
            lineOpen_ = true;
        }
        auto error = Flush(out);
        out = base;
        return error;
    };

    while (static_cast<std::size_t>(end - p) >= Scanner::kWidth) {
        if (out >= limit) {
            if (auto error = flush()) {
                return error;
            }
        }
        const std::size_t plain = Scanner::Scan(p, out);
        p += plain;
        out += plain;
        if (plain != Scanner::kWidth) {
            translate(static_cast<unsigned char>(*p++));
        }
    }
    while (p < end) {
        if (out >= limit) {
            if (auto error = flush()) {
                return error;
            }
        }
        const auto code = static_cast<unsigned char>(*p++);
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
    return {};
}

void StreamConverter::EndLine(char*& out) {
    char* const base = block_.data();
    lastLineStart_ = lineStart_;
    lastLineEnd_ = out - base;
    *out++ = '\r';
    *out++ = '\n';
    lineStart_ = out - base;
    lineOpen_ = false;
    ++lines_;
    if (!blanks_.Empty()) {
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
        sink_.WriteLog(entries_);
        blanks_.Clear();
    }
}

std::error_code StreamConverter::Flush(char* out) {
    char* const base = block_.data();
    const auto size = static_cast<std::size_t>(out - base);
    used_ = 0;
    lineStart_ = lineOpen_ ? -1 : 0;
    lastLineStart_ = -1;
    if (size == 0) {
        return {};
    }
    return sink_.WriteTarget(std::string_view(base, size));
}

std::error_code StreamConverter::Finish() {
    char* out = block_.data() + used_;
    if (lineOpen_) {
        EndLine(out);
    }
    afterCr_ = false;
    if (recordOpen_) {
        sink_.WriteLog("\r\n");
    }
    lastLine_.clear();
    if (lastLineStart_ >= 0) {
        lastLine_.assign(block_.data() + lastLineStart_, block_.data() + lastLineEnd_);
    }
    return Flush(out);
}

} // namespace rz408
