// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conversion of one file's bytes as they stream in: the lines as a carriage return ends
// them (see below), each translated as TranslateLine does (with the grave accents made apostrophes
// first), written with CR LF, and the file's log record.

#include "ByteBlock.h"
#include "LogEntry.h"
#include "Module1.h"
#include "TranslationTable.h"
#include "Unicode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace rz408 {

// Where the converted bytes go.
class ConvertSink {
public:
    virtual ~ConvertSink() = default;
    // The next bytes of the target file: the last of them (the converter is done with them).
    virtual std::error_code WriteTarget(std::string_view bytes) = 0;
    // The next bytes of the target file while more follow: the first SIZE bytes of BLOCK, which
    // then begins with the KEEP bytes that followed them. A sink that writes them later takes
    // BLOCK over and puts another block of its size in its place. By default they are written at
    // once (WriteTarget).
    virtual std::error_code WriteBlock(ByteBlock& block, std::size_t size, std::size_t keep);
    // Whether the sink can take back what it was given of the file at hand (Restart), and its
    // log record.
    virtual bool CanRestart() const { return false; }
    // Takes it all back: the file's target and record are then written anew from their start.
    virtual std::error_code Restart();
    // The next bytes of the file's log record (record start, entries, the closing CR LF).
    virtual void WriteLog(std::string_view bytes) = 0;
};

// Lines: a carriage return ends a line, and a line feed right behind it is skipped (also when
// the two arrive in different blocks); a line feed on its own is part of the line; the last line
// needs no line end, and a line end at the very end of the file starts no further line. Every
// line is written followed by CR LF.
//
// Memory: one output block, whatever the length of the file or of its lines; per line only the
// set of codes that became blanks is kept.
//
// Text decoded from Unicode comes in as a TextSink's: the characters that Windows-1252 has
// as their codes, converted as any Windows-1252 text, and one by one those it lacks, each of
// which becomes a blank, logged after the line's Windows-1252 codes by its Unicode number
// (its character shown as '?', since the log is Windows-1252).
class StreamConverter : public TextSink {
public:
    static constexpr std::size_t kDefaultBlockSize = 256 * 1024;

    StreamConverter(const Module1& m, ConvertSink& sink, std::size_t blockSize = kDefaultBlockSize);

    // Starts a file. RECORD_START (Windows-1252: the file name and " : ") opens the file's log
    // record when its first log entry comes.
    void Start(std::string recordStart);

    // Converts the next bytes of the file.
    std::error_code Feed(std::string_view bytes);

    // TextSink: Text is Feed; Other a blank and its log entry; TextBelow128 converts bytes
    // up to the first above 127, in the same pass as Feed.
    std::error_code Text(std::string_view cp1252) override { return Feed(cp1252); }
    std::error_code Other(char32_t c, bool broken) override;
    std::size_t TextBelow128(std::string_view bytes, std::error_code& error) override;
    // The file comes anew from its start, when the sink can take back what it was given.
    bool CanRestart() const override { return m_sink.CanRestart(); }
    std::error_code Restart() override;

    // Ends the file: its last line, its log record, and the last output block.
    std::error_code Finish();

    // The number of lines of the file so far.
    std::uint64_t Lines() const { return m_lines; }

    // The last line written, without its CR LF, when it still lies whole in the output block
    // (always, for lines shorter than the block); otherwise empty.
    // After Finish: the file's last line as written, without its CR LF, when it was no longer
    // than 4 KiB (or half the block), so that the block still held it whole; otherwise empty.
    const std::string& LastLine() const { return m_lastLine; }

private:
    // Ends the current line: CR LF, and its log entries.
    void EndLine(char*& out) {
        char* const base = m_block.Data();
        m_lastLineStart = m_lineStart;
        m_lastLineEnd = out - base;
        *out++ = '\r';
        *out++ = '\n';
        m_lineStart = out - base;
        m_lineOpen = false;
        ++m_lines;
        if (!m_blanks.Empty() || m_othersInLine) {
            WriteEntries();
        }
    }
    void WriteEntries();
    // Converts BYTES, or with STOP_AT_HIGH only those before the first above 127; CONSUMED
    // receives the number converted.
    template <bool StopAtHigh>
    std::error_code FeedBytes(std::string_view bytes, std::size_t& consumed);
    // Writes the block up to OUT, but for the start of a short line that has begun; with LAST,
    // the last bytes of the file.
    std::error_code Flush(char* out, bool last = false);

    const Module1& m__;
    ConvertSink& m_sink;
    ByteBlock m_block;
    std::size_t m_used = 0;  // bytes of m_block waiting to be written
    std::size_t m_limit = 0; // flush before using more than this
    std::string m_recordStart;
    std::string m_entries;
    std::string m_entryCache[128]; // the log entry of each code, made when first needed
    BlankSet m_blanks;
    CodePointSet m_others;       // the characters of the line that Windows-1252 lacks
    bool m_othersInLine = false; // m_others is not empty
    bool m_afterCr = false;      // the last byte was a carriage return
    bool m_lineOpen = false;     // a line has begun and not ended
    bool m_recordOpen = false;
    std::uint64_t m_lines = 0;
    std::ptrdiff_t m_lastLineStart = -1; // in m_block; -1 when written out already
    std::ptrdiff_t m_lastLineEnd = -1;
    std::ptrdiff_t m_lineStart = 0; // where the current line began in m_block, or -1
    std::string m_lastLine;
};

} // namespace rz408
