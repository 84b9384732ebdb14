// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzing the line reader, the line translation and the reading of Unicode sources: random
// bytes, fed in random pieces through random block sizes, must come out as a deliberately
// simple model of the rules says, and as TranslateLine says line by line. The same bytes also
// make UTF-8 and UTF-16 texts, valid and nearly valid (surrogates, stray bytes, cut short),
// which must convert as the model decodes them.
//
// Input: byte 0 chooses the piece size, byte 1 the output block size, the rest is the file.

#include "../support/ConvertSupport.h"
#include "LineTranslation.h"
#include "Module1.h"
#include "SourceDecoding.h"
#include "StreamConverter.h"
#include "Unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using rz408::Module1;

// The transliterations, written out once more, code by code.
std::string Replacement(unsigned char c) {
    switch (c) {
    case 180:
        return "'";
    case 192:
    case 193:
    case 194:
    case 195:
        return "A";
    case 196:
        return "AE";
    case 197:
        return "AA";
    case 198:
        return "AE";
    case 199:
        return "C";
    case 200:
    case 201:
    case 202:
    case 203:
        return "E";
    case 204:
    case 205:
    case 206:
    case 207:
        return "I";
    case 208:
        return "D";
    case 209:
        return "N";
    case 210:
    case 211:
    case 212:
    case 213:
        return "O";
    case 214:
        return "OE";
    case 216:
        return "OE";
    case 217:
    case 218:
    case 219:
        return "U";
    case 220:
        return "UE";
    case 221:
        return "Y";
    case 223:
        return "ss";
    case 224:
    case 225:
    case 226:
    case 227:
        return "a";
    case 228:
        return "ae";
    case 229:
        return "aa";
    case 230:
        return "ae";
    case 231:
        return "c";
    case 232:
    case 233:
    case 234:
    case 235:
        return "e";
    case 236:
    case 237:
    case 238:
    case 239:
        return "i";
    case 240:
        return "d";
    case 241:
        return "n";
    case 242:
    case 243:
    case 244:
    case 245:
        return "o";
    case 246:
        return "oe";
    case 248:
        return "oe";
    case 249:
    case 250:
    case 251:
        return "u";
    case 252:
        return "ue";
    case 253:
        return "y";
    case 255:
        return "y";
    default:
        return "";
    }
}

const Module1& Profile() {
    static const Module1 kModule = [] {
        Module1 p;
        p.LogTextBefore = " (La valeur ASCII ";
        p.LogTextAfter = ") est convertie en 'espace'.";
        return p;
    }();
    return kModule;
}

struct Result {
    std::string Target;
    std::string Log;
};

// A character of decoded text: a Windows-1252 code (0 to 255), or kOther plus the Unicode
// number of a character that Windows-1252 lacks (U+FFFD for a broken sequence).
constexpr long kOther = 1L << 24;

// The model: split on CR, skip one LF after it, map each code, log the blanked codes of each
// line in ascending order, then the other characters by number.
Result Model(const std::vector<long>& text, std::vector<std::string>* lines) {
    std::vector<std::vector<long>> split;
    std::vector<long> line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            split.push_back(line);
            line.clear();
            open = false;
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line.push_back(text[i]);
            open = true;
        }
    }
    if (open) {
        split.push_back(line);
    }
    Result result;
    for (const std::vector<long>& source : split) {
        std::set<long> blanked; // kOther sorts the others behind the codes
        std::string bytes;
        for (const long c : source) {
            if (c < 256) {
                bytes += static_cast<char>(c);
            }
            if (c == '`') {
                result.Target += '\'';
            } else if (c < 128) {
                result.Target += static_cast<char>(c);
            } else if (c < 256 && !Replacement(static_cast<unsigned char>(c)).empty()) {
                result.Target += Replacement(static_cast<unsigned char>(c));
            } else {
                result.Target += ' ';
                blanked.insert(c);
            }
        }
        result.Target += "\r\n";
        for (const long c : blanked) {
            result.Log += "\r\n             ";
            result.Log += c < kOther ? static_cast<char>(c) : '?';
            result.Log += Profile().LogTextBefore + " " +
                          std::to_string(c < kOther ? c : c - kOther) + Profile().LogTextAfter;
        }
        if (lines != nullptr) {
            lines->push_back(bytes);
        }
    }
    if (!result.Log.empty()) {
        result.Log = "f : " + result.Log + "\r\n";
    }
    return result;
}

Result Model(std::string_view file, std::vector<std::string>* lines) {
    return Model(
        std::vector<long>(reinterpret_cast<const unsigned char*>(file.data()),
                          reinterpret_cast<const unsigned char*>(file.data()) + file.size()),
        lines);
}

// --- The model of the Unicode encodings -----------------------------------------------------

// A character as decoded text holds it.
long TextCharacter(char32_t c) {
    static const std::map<char32_t, long> kCodes = [] {
        std::map<char32_t, long> map;
        for (int code = 0; code < 256; ++code) {
            map[rz408::CharOfCp1252(static_cast<unsigned char>(code))] = code;
        }
        return map;
    }();
    const auto found = kCodes.find(c);
    return found != kCodes.end() ? found->second : kOther + static_cast<long>(c);
}

constexpr long kBroken = kOther + 0xFFFD;

// Whether the K bytes at P begin some UTF-8 sequence that is allowed: the characters they can
// still become form a range, which must meet the characters of that length (no overlong form),
// outside the surrogates and not above U+10FFFF.
bool BeginsUtf8(const unsigned char* p, std::size_t k) {
    const unsigned lead = p[0];
    const std::size_t length = lead >= 0xF0 && lead < 0xF8   ? 4
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xC0 && lead < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || k > length) {
        return false;
    }
    char32_t low = lead & (0x7F >> length);
    char32_t high = low;
    for (std::size_t i = 1; i < length; ++i) {
        if (i < k && (p[i] & 0xC0) != 0x80) {
            return false;
        }
        low = (low << 6) | (i < k ? p[i] & 0x3F : 0x00);
        high = (high << 6) | (i < k ? p[i] & 0x3F : 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const char32_t most[] = {0, 0, 0x7FF, 0xFFFF, 0x10FFFF};
    low = std::max(low, least[length]);
    high = std::min(high, most[length]);
    return low <= high && !(low >= 0xD800 && high <= 0xDFFF);
}

// Decodes UTF-8 whole: a character where one is complete, else the longest allowed beginning
// (at least one byte) is one broken sequence. SEQUENCES, if given, receives for each sequence
// above 127 in order whether it was broken.
std::vector<long> DecodeUtf8Model(std::string_view bytes, std::size_t* brokenCount,
                                  std::vector<bool>* sequences = nullptr) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::vector<long> text;
    for (std::size_t i = 0; i < bytes.size();) {
        if (p[i] < 0x80) {
            text.push_back(p[i++]);
            continue;
        }
        std::size_t k = 0;
        while (k < 4 && i + k < bytes.size() && BeginsUtf8(p + i, k + 1)) {
            ++k;
        }
        const std::size_t length = p[i] >= 0xF0 ? 4 : p[i] >= 0xE0 ? 3 : 2;
        if (k == length) {
            char32_t c = p[i] & (0x7F >> length);
            for (std::size_t j = 1; j < length; ++j) {
                c = (c << 6) | (p[i + j] & 0x3F);
            }
            text.push_back(TextCharacter(c));
        } else {
            text.push_back(kBroken);
            ++*brokenCount;
        }
        if (sequences != nullptr) {
            sequences->push_back(k != length);
        }
        i += std::max<std::size_t>(k == length ? length : k, 1);
    }
    return text;
}

std::vector<long> DecodeUtf16Model(std::string_view bytes, bool bigEndian,
                                   std::size_t* brokenCount) {
    std::vector<char32_t> units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    std::vector<long> text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            text.push_back(TextCharacter(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            text.push_back(kBroken);
            ++*brokenCount;
        } else {
            text.push_back(TextCharacter(u));
        }
    }
    if (bytes.size() % 2 == 1) {
        text.push_back(kBroken);
        ++*brokenCount;
    }
    return text;
}

// Whether BYTES are UTF-8 but for a few broken sequences: some character of more than one byte,
// and at most one broken sequence for every eight of them, in the whole text and up to each
// broken sequence from the sixteenth on.
bool MostlyUtf8(std::string_view bytes) {
    std::size_t broken = 0;
    std::vector<bool> sequences;
    DecodeUtf8Model(bytes, &broken, &sequences);
    std::size_t valid = 0;
    std::size_t seen = 0;
    for (const bool isBroken : sequences) {
        valid += isBroken ? 0 : 1;
        seen += isBroken ? 1 : 0;
        if (isBroken && seen >= 16 && valid < 8 * seen) {
            return false;
        }
    }
    return valid > 0 && valid >= 8 * broken;
}

// How a source is read: its mark, else UTF-8 when it is mostly that, else Windows-1252.
std::vector<long> DecodeModel(std::string_view bytes, std::optional<rz408::SourceEncoding> given,
                              rz408::SourceEncoding* encoding, std::size_t* brokenCount) {
    using rz408::SourceEncoding;
    *brokenCount = 0;
    std::optional<SourceEncoding> mark;
    std::size_t markSize = 0;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        mark = SourceEncoding::Utf8;
        markSize = 3;
    } else if (bytes.starts_with("\xFF\xFE")) {
        mark = SourceEncoding::Utf16LE;
        markSize = 2;
    } else if (bytes.starts_with("\xFE\xFF")) {
        mark = SourceEncoding::Utf16BE;
        markSize = 2;
    }
    if (given) {
        *encoding = *given;
    } else if (mark) {
        *encoding = *mark;
    } else {
        *encoding = MostlyUtf8(bytes) ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
    }
    if (mark && *encoding == *mark) {
        bytes.remove_prefix(markSize);
    }
    switch (*encoding) {
    case SourceEncoding::Utf8:
        return DecodeUtf8Model(bytes, brokenCount);
    case SourceEncoding::Utf16LE:
    case SourceEncoding::Utf16BE:
        return DecodeUtf16Model(bytes, *encoding == SourceEncoding::Utf16BE, brokenCount);
    case SourceEncoding::Windows1252:
        break;
    }
    return {reinterpret_cast<const unsigned char*>(bytes.data()),
            reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size()};
}

Result Stream(std::string_view file, std::size_t piece, std::size_t block) {
    rz408::test::StringSink sink;
    rz408::StreamConverter converter(Profile(), sink, block);
    converter.Start("f : ");
    for (std::size_t at = 0; at < file.size(); at += piece) {
        if (converter.Feed(file.substr(at, piece))) {
            std::abort();
        }
    }
    if (converter.Finish()) {
        std::abort();
    }
    return {sink.Target, sink.Log};
}

// BYTES read as a source, in pieces of PIECE bytes and blocks of BLOCK bytes.
Result Read(std::string_view bytes, std::optional<rz408::SourceEncoding> given, std::size_t piece,
            std::size_t block, rz408::SourceReading* reading) {
    rz408::test::StringSink sink;
    rz408::StreamConverter converter(Profile(), sink, block);
    converter.Start("f : ");
    rz408::MemorySource source(bytes, piece);
    rz408::SourceReader reader(piece);
    *reading = reader.Read(source, given, converter);
    if (reading->ReadError || reading->SinkError || converter.Finish()) {
        std::abort();
    }
    return {sink.Target, sink.Log};
}

// Characters made from the fuzzer's bytes, two bytes each: ASCII (line ends included), Latin-1
// and the C1 controls, typographic punctuation, letters of other scripts, characters up to
// U+FFFF (the surrogates included: not valid alone), and above. A first byte from F0 on puts
// its second byte in as it is instead.
struct MadeText {
    std::vector<char32_t> Characters; // what was encoded, in order
    std::vector<std::string> Raw;     // the bytes put in as they are, behind character K
    std::vector<std::size_t> RawAt;
};

MadeText MakeText(std::string_view bytes) {
    MadeText made;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto kind = static_cast<unsigned char>(bytes[i]);
        const auto value = static_cast<unsigned char>(bytes[i + 1]);
        if (kind >= 0xF0) {
            made.Raw.push_back(std::string(1, static_cast<char>(value)));
            made.RawAt.push_back(made.Characters.size());
            continue;
        }
        switch (kind % 8) {
        case 0:
        case 1:
        case 2:
            made.Characters.push_back(value & 0x7F);
            break;
        case 3:
            made.Characters.push_back(0x80 + value);
            break;
        case 4:
            made.Characters.push_back(0x2000 + value);
            break;
        case 5:
            made.Characters.push_back(0x0100 + value * 37u);
            break;
        case 6:
            made.Characters.push_back(0xD000 + value * 0x2Fu);
            break;
        default:
            made.Characters.push_back(0x10000 + value * 0x1010u);
        }
    }
    return made;
}

// The made text as UTF-8 (a surrogate as the three bytes it would take) or UTF-16 (a character
// above U+FFFF as a pair), the raw bytes in their places.
std::string Encode(const MadeText& made, int form) {
    std::string out;
    std::size_t raw = 0;
    for (std::size_t k = 0; k <= made.Characters.size(); ++k) {
        for (; raw < made.Raw.size() && made.RawAt[raw] == k; ++raw) {
            out += made.Raw[raw];
        }
        if (k < made.Characters.size()) {
            const std::u32string c(1, made.Characters[k]);
            out += form == 0 ? rz408::test::Utf8Of(c) : rz408::test::Utf16Of(c, form == 2);
        }
    }
    return out;
}

void Check(bool ok, const char* what);

// BYTES read as a source (GIVEN or told by the source) as the model reads it.
void CheckReading(std::string_view bytes, std::optional<rz408::SourceEncoding> given,
                  std::size_t piece, std::size_t block) {
    rz408::SourceEncoding encoding{};
    std::size_t broken = 0;
    const Result expected = Model(DecodeModel(bytes, given, &encoding, &broken), nullptr);
    rz408::SourceReading reading;
    const Result read = Read(bytes, given, piece, block, &reading);
    Check(reading.Encoding == encoding, "read in another encoding than the model's");
    Check(reading.Broken == broken, "another number of broken sequences than the model's");
    Check(read.Target == expected.Target, "Unicode target differs from the model");
    Check(read.Log == expected.Log, "Unicode log differs from the model");
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_convert: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Small pieces, or pieces large enough for the converter's 64-bytes-at-a-time loop.
    const std::size_t piece = data[0] < 128 ? 1 + data[0] % 64 : 80 + 40 * (data[0] - 128);
    const std::size_t block = 1 + data[1] % 48;
    const std::string_view file(reinterpret_cast<const char*>(data) + 2, size - 2);

    std::vector<std::string> lines;
    const Result expected = Model(file, &lines);
    const Result streamed = Stream(file, piece, block);
    Check(streamed.Target == expected.Target, "target differs from the model");
    Check(streamed.Log == expected.Log, "log differs from the model");

    // Invariants of the target: plain ASCII, every line ended by CR LF.
    for (std::size_t i = 0; i < streamed.Target.size(); ++i) {
        const auto c = static_cast<unsigned char>(streamed.Target[i]);
        Check(c < 128, "a code above 127 in the target");
        Check(c != '\r' || (i + 1 < streamed.Target.size() && streamed.Target[i + 1] == '\n'),
              "a CR without LF in the target");
    }
    Check(streamed.Target.empty() || streamed.Target.ends_with("\r\n"), "last line not ended");

    // Converting the target again changes nothing and logs nothing.
    const Result again = Stream(streamed.Target, 1 + piece / 2, 1 + block / 3);
    Check(again.Target == streamed.Target, "a second conversion changed the target");
    Check(again.Log.empty(), "a second conversion logged something");

    // TranslateLine agrees line by line.
    Module1 m = Profile();
    m.FileLog = "f : ";
    std::string target;
    for (std::string line : lines) {
        for (char& ch : line) {
            ch = ch == '`' ? '\'' : ch;
        }
        m.CurrentLine = line;
        rz408::TranslateLine(m);
        Check(m.CharCode == 256, "CharCode not left at 256");
        target += m.CurrentLine + "\r\n";
    }
    Check(target == expected.Target, "TranslateLine differs from the model");
    Check((m.FileLog == "f : " ? std::string() : m.FileLog + "\r\n") == expected.Log,
          "TranslateLine's log differs from the model");

    // The file read as a source: told by its bytes, and in an encoding given.
    using rz408::SourceEncoding;
    CheckReading(file, std::nullopt, piece, block);
    const SourceEncoding given[] = {SourceEncoding::Windows1252, SourceEncoding::Utf8,
                                    SourceEncoding::Utf16LE, SourceEncoding::Utf16BE};
    CheckReading(file, given[data[1] / 64], piece, block);

    // A text made of the same bytes, valid or nearly so, with or without a mark, maybe cut short.
    const MadeText made = MakeText(file);
    const bool valid =
        made.Raw.empty() && std::none_of(made.Characters.begin(), made.Characters.end(),
                                         [](char32_t c) { return c >= 0xD800 && c < 0xE000; });
    const std::string utf8 = Encode(made, 0);
    const std::string le = Encode(made, 1);
    const std::string be = Encode(made, 2);
    const std::size_t cut = data[1] % 2 == 0 && !utf8.empty() ? 1 : 0;
    switch ((data[0] + data[1]) % 6) {
    case 0:
        CheckReading(utf8, std::nullopt, piece, block);
        break;
    case 1:
        CheckReading(utf8.substr(0, utf8.size() - cut), SourceEncoding::Utf8, piece, block);
        break;
    case 2:
        CheckReading("\xEF\xBB\xBF" + utf8.substr(0, utf8.size() - cut), std::nullopt, piece,
                     block);
        break;
    case 3:
        CheckReading("\xFF\xFE" + le.substr(0, le.size() - cut), std::nullopt, piece, block);
        break;
    case 4:
        CheckReading("\xFE\xFF" + be, std::nullopt, piece, block);
        break;
    default:
        CheckReading(be.substr(0, be.size() - cut), SourceEncoding::Utf16BE, piece, block);
    }

    // Valid text decodes to the characters it was made of (the model checked itself).
    if (valid) {
        std::vector<long> characters;
        for (const char32_t c : made.Characters) {
            characters.push_back(TextCharacter(c));
        }
        for (const auto& [bytes, encoding] :
             {std::pair{utf8, SourceEncoding::Utf8}, std::pair{le, SourceEncoding::Utf16LE},
              std::pair{be, SourceEncoding::Utf16BE}}) {
            rz408::SourceEncoding read{};
            std::size_t broken = 0;
            Check(DecodeModel(bytes, encoding, &read, &broken) == characters && broken == 0,
                  "the model does not decode valid text to its characters");
        }
    }
    return 0;
}
