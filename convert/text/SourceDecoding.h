// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Decoding a source into the text it holds: Windows-1252, or UTF-8 or UTF-16 where the source
// says so (a byte-order mark) or its bytes do (UTF-8 but for a few broken sequences at most),
// or as the user says.

#include "ByteBlock.h"
#include "SourceEncoding.h"
#include "Unicode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <system_error>

namespace rz408 {

// The name of an encoding as messages show it: "Windows-1252", "UTF-8", "UTF-16LE", "UTF-16BE".
std::string_view EncodingName(SourceEncoding encoding);

// The bytes of a source, in order, with a way back.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to SIZE bytes; GOT is 0 at the end.
    virtual std::error_code Read(char* data, std::size_t size, std::size_t& got) = 0;
    // Reading goes on at OFFSET bytes from the start.
    virtual std::error_code Seek(std::uint64_t offset) = 0;
};

// A source in memory, read READ_SIZE bytes at the most at a time.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes, std::size_t readSize = SIZE_MAX)
        : m_bytes(bytes), m_readSize(readSize) {}
    std::error_code Read(char* data, std::size_t size, std::size_t& got) override;
    std::error_code Seek(std::uint64_t offset) override;

private:
    std::string_view m_bytes;
    std::size_t m_readSize;
    std::size_t m_at = 0;
};

// How a source was read.
struct SourceReading {
    SourceEncoding Encoding = SourceEncoding::Windows1252;
    bool ByteOrderMark = false; // it began with one (which was not passed on)
    std::uint64_t Broken = 0;   // sequences not valid in the encoding, each read as U+FFFD
    std::error_code ReadError;  // the source could not be read
    std::error_code SinkError;  // the sink refused the text
};

// Reads sources, one at a time, into a TextSink. Keeps its blocks from one source to the next;
// its memory is the same whatever the length of a source.
//
// Which encoding, when none is given:
// - a source that begins with a byte-order mark (EF BB BF, FF FE, FE FF) is UTF-8, UTF-16LE or
//   UTF-16BE, and the mark is skipped;
// - else a source whose bytes Utf8Detector takes for UTF-8 is UTF-8: it holds at least one
//   character of more than one byte, and at most one broken sequence for every eight of them
//   (valid UTF-8 as a whole, or UTF-8 damaged in a few places); each broken sequence is then
//   read as U+FFFD, as with UTF-8 given;
// - every other source is Windows-1252, its bytes passed on as they are.
// ASCII reads the same either way, so the bytes before the first one above 127 are passed on
// at once; from there, as long as the source may still be UTF-8, its rest is read ahead without
// passing anything on, and then read again from that byte in the encoding it turned out to be
// in. (A Windows-1252 text is ruled out at its sixteenth letter above 127 at the latest, most
// often within the block at hand.) A sink that can take back what it was given (TextSink::
// Restart) is spared reading a long source twice: once a block read ahead leaves the question
// open, the source is passed on as UTF-8 while the same rule is kept along the way, and should
// the rule rule UTF-8 out after all, the sink takes everything back and the source is read anew,
// from its start, as Windows-1252. Either way the sink ends up with the same text.
//
// With an encoding given, every source is read in it: a byte-order mark of that encoding is
// skipped; any other bytes that are not valid in it are broken sequences.
class SourceReader {
public:
    explicit SourceReader(std::size_t blockSize = 256 * 1024);

    SourceReading Read(ByteSource& source, std::optional<SourceEncoding> encoding, TextSink& sink);

private:
    // Reads ahead from REST (the block from the first byte above 127, at offset AT) to tell
    // whether the source is UTF-8 as a whole. GO_BACK: the rest was read ahead, so reading
    // must go on at AT. With GUESS, it reads one block ahead at most: when the question is still
    // open then, GUESSED is set and ENCODING is UTF-8.
    std::error_code Decide(ByteSource& source, std::string_view rest, bool guess,
                           SourceEncoding& encoding, bool& goBack, bool& guessed);
    // With COUNTER, a UTF-8 source's sequences are counted there too.
    std::error_code Decode(SourceEncoding encoding, std::string_view bytes, TextSink& sink,
                           Utf8Detector* counter);
    // A source passed on as UTF-8 that is not: SINK takes it back, and it is read anew from its
    // start as Windows-1252.
    SourceReading ReadAgain(ByteSource& source, TextSink& sink);

    std::size_t m_blockSize;
    ByteBlock m_block;
    ByteBlock m_ahead; // for reading ahead, taken when first needed
    Utf8Decoder m_utf8;
    Utf16Decoder m_utf16;
    Utf8Detector m_detector;
};

// One character of a source.
struct SourceCharacter {
    char32_t C = 0;      // its Unicode number (U+FFFD for a broken sequence)
    int Cp1252 = -1;     // its Windows-1252 code, or -1 when Windows-1252 lacks it
    bool Broken = false; // a sequence not valid in the source's encoding
};

// Reads the characters of SOURCE one by one, in order, exactly as a conversion reads them (the
// carriage returns and line feeds included, a byte-order mark not): EACH is called for each.
SourceReading ReadCharacters(ByteSource& source, std::optional<SourceEncoding> encoding,
                             const std::function<void(const SourceCharacter&)>& each);

} // namespace rz408
