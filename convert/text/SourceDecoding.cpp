// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceDecoding.h"

#include <algorithm>

namespace rz408 {

namespace {

// The encoding whose byte-order mark HEAD begins with, and the mark's length (0: none).
SourceEncoding ByteOrderMark(std::string_view head, std::size_t& length) {
    length = 0;
    if (head.starts_with("\xEF\xBB\xBF")) {
        length = 3;
        return SourceEncoding::Utf8;
    }
    if (head.starts_with("\xFF\xFE")) {
        length = 2;
        return SourceEncoding::Utf16LE;
    }
    if (head.starts_with("\xFE\xFF")) {
        length = 2;
        return SourceEncoding::Utf16BE;
    }
    return SourceEncoding::Windows1252;
}

// The longest byte-order mark.
constexpr std::size_t kLongestMark = 3;

// Passes the bytes of a source on as characters.
class CharacterSink : public TextSink {
public:
    explicit CharacterSink(const std::function<void(const SourceCharacter&)>& each)
        : m_each(each) {}
    std::error_code Text(std::string_view cp1252) override {
        for (const char ch : cp1252) {
            const auto code = static_cast<unsigned char>(ch);
            m_each({CharOfCp1252(code), code, false});
        }
        return {};
    }
    std::error_code Other(char32_t c, bool broken) override {
        m_each({c, -1, broken});
        return {};
    }

private:
    const std::function<void(const SourceCharacter&)>& m_each;
};

} // namespace

std::string_view EncodingName(SourceEncoding encoding) {
    switch (encoding) {
    case SourceEncoding::Utf8:
        return "UTF-8";
    case SourceEncoding::Utf16LE:
        return "UTF-16LE";
    case SourceEncoding::Utf16BE:
        return "UTF-16BE";
    case SourceEncoding::Windows1252:
        break;
    }
    return "Windows-1252";
}

std::error_code MemorySource::Read(char* data, std::size_t size, std::size_t& got) {
    got = m_bytes.copy(data, std::min(size, m_readSize), std::min(m_at, m_bytes.size()));
    m_at += got;
    return {};
}

std::error_code MemorySource::Seek(std::uint64_t offset) {
    m_at = static_cast<std::size_t>(offset);
    return {};
}

SourceReader::SourceReader(std::size_t blockSize)
    : m_blockSize(std::max<std::size_t>(blockSize, 1)),
      m_block(std::max(m_blockSize, kLongestMark)) {}

std::error_code SourceReader::Decode(SourceEncoding encoding, std::string_view bytes,
                                     TextSink& sink, Utf8Detector* counter) {
    switch (encoding) {
    case SourceEncoding::Utf8:
        return m_utf8.Feed(bytes, sink, counter);
    case SourceEncoding::Utf16LE:
    case SourceEncoding::Utf16BE:
        return m_utf16.Feed(bytes, sink);
    case SourceEncoding::Windows1252:
        break;
    }
    return sink.Text(bytes);
}

std::error_code SourceReader::Decide(ByteSource& source, std::string_view rest, bool guess,
                                     SourceEncoding& encoding, bool& goBack, bool& guessed) {
    goBack = false;
    guessed = false;
    encoding = SourceEncoding::Windows1252;
    m_detector.Reset();
    if (!m_detector.Feed(rest)) {
        return {};
    }
    if (m_ahead.Empty()) {
        m_ahead = ByteBlock(m_blockSize);
    }
    for (;;) {
        std::size_t got = 0;
        if (auto error = source.Read(m_ahead.Data(), m_ahead.Size(), got)) {
            return error;
        }
        if (got == 0) {
            // The end: the detector has seen everything from the first byte above 127 on.
            encoding = m_detector.Finish() ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
            return {};
        }
        goBack = true;
        if (!m_detector.Feed(std::string_view(m_ahead.Data(), got))) {
            return {};
        }
        if (guess) {
            encoding = SourceEncoding::Utf8;
            guessed = true;
            return {};
        }
    }
}

SourceReading SourceReader::ReadAgain(ByteSource& source, TextSink& sink) {
    SourceReading result;
    if ((result.SinkError = sink.Restart())) {
        return result;
    }
    if ((result.ReadError = source.Seek(0))) {
        return result;
    }
    return Read(source, SourceEncoding::Windows1252, sink);
}

SourceReading SourceReader::Read(ByteSource& source, std::optional<SourceEncoding> encoding,
                                 TextSink& sink) {
    SourceReading result;
    result.Encoding = encoding.value_or(SourceEncoding::Windows1252);
    char* const block = m_block.Data();
    std::uint64_t next = 0; // where the next read starts; the bytes at hand end there

    // The first bytes: enough for a byte-order mark (Windows-1252 given: one block, as later).
    std::size_t size = 0;
    bool atEnd = false;
    do {
        std::size_t got = 0;
        const std::size_t room = std::min(m_blockSize, m_block.Size() - size);
        if (auto error = source.Read(block + size, room, got)) {
            result.ReadError = error;
            return result;
        }
        atEnd = got == 0;
        size += got;
    } while (!atEnd && size < kLongestMark && encoding != SourceEncoding::Windows1252);
    next = size;
    std::string_view bytes(block, size);

    bool deciding = !encoding.has_value(); // no byte above 127 seen yet, none given
    bool guessing = false;                 // passed on as UTF-8 before that was known
    if (encoding != SourceEncoding::Windows1252) {
        std::size_t markLength = 0;
        const SourceEncoding mark = ByteOrderMark(bytes, markLength);
        if (markLength != 0 && (deciding || mark == *encoding)) {
            result.Encoding = mark;
            result.ByteOrderMark = true;
            bytes.remove_prefix(markLength);
            deciding = false;
        }
    }
    m_utf8.Reset();
    m_utf16.Reset(result.Encoding == SourceEncoding::Utf16BE);

    for (;;) {
        if (deciding && !bytes.empty()) {
            std::error_code error;
            const std::size_t plain = sink.TextBelow128(bytes, error);
            if (error) {
                result.SinkError = error;
                return result;
            }
            bytes.remove_prefix(plain);
            if (!bytes.empty()) {
                deciding = false;
                bool goBack = false;
                if (auto readError = Decide(source, bytes, sink.CanRestart(), result.Encoding,
                                            goBack, guessing)) {
                    result.ReadError = readError;
                    return result;
                }
                m_detector.Reset(); // counts anew from here while guessing
                if (goBack) {
                    next -= bytes.size();
                    bytes = {};
                    atEnd = false;
                    if (auto seekError = source.Seek(next)) {
                        result.ReadError = seekError;
                        return result;
                    }
                }
            }
        }
        if (!deciding && !bytes.empty()) {
            if (auto error =
                    Decode(result.Encoding, bytes, sink, guessing ? &m_detector : nullptr)) {
                result.SinkError = error;
                return result;
            }
            if (guessing && !m_detector.Possible()) {
                return ReadAgain(source, sink);
            }
        }
        if (atEnd) {
            break;
        }
        std::size_t got = 0;
        if (auto error = source.Read(block, m_blockSize, got)) {
            result.ReadError = error;
            return result;
        }
        if (got == 0) {
            break;
        }
        next += got;
        bytes = std::string_view(block, got);
    }

    std::error_code error;
    if (result.Encoding == SourceEncoding::Utf8) {
        error = m_utf8.Finish(sink, guessing ? &m_detector : nullptr);
        if (!error && guessing && !m_detector.Finish()) {
            return ReadAgain(source, sink);
        }
        result.Broken = m_utf8.Broken();
    } else if (result.Encoding != SourceEncoding::Windows1252) {
        error = m_utf16.Finish(sink);
        result.Broken = m_utf16.Broken();
    }
    result.SinkError = error;
    return result;
}

SourceReading ReadCharacters(ByteSource& source, std::optional<SourceEncoding> encoding,
                             const std::function<void(const SourceCharacter&)>& each) {
    CharacterSink sink(each);
    SourceReader reader;
    return reader.Read(source, encoding, sink);
}

} // namespace rz408
