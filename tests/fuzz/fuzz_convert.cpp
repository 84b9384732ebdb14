// Fuzzing the line reader and the line translation: random bytes, fed in random pieces
// through random block sizes, must come out as a deliberately simple model of the rules says,
// and as TranslateLine says line by line.
//
// Input: byte 0 chooses the piece size, byte 1 the output block size, the rest is the file.

#include "Conversion.h"
#include "StreamConverter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    static const Module1 m = [] {
        Module1 p;
        p.LogTextBefore = " (La valeur ASCII ";
        p.LogTextAfter = ") est convertie en 'espace'.";
        return p;
    }();
    return m;
}

struct Result {
    std::string target;
    std::string log;
};

// The model: split on CR, skip one LF after it, map each byte, log the blanked codes of each
// line in ascending order.
Result Model(std::string_view file, std::vector<std::string>* lines) {
    std::vector<std::string> split;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\r') {
            split.push_back(line);
            line.clear();
            open = false;
            if (i + 1 < file.size() && file[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += file[i];
            open = true;
        }
    }
    if (open) {
        split.push_back(line);
    }
    Result result;
    for (const std::string& source : split) {
        std::set<int> blanked;
        for (const char ch : source) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == '`') {
                result.target += '\'';
            } else if (c < 128) {
                result.target += ch;
            } else if (!Replacement(c).empty()) {
                result.target += Replacement(c);
            } else {
                result.target += ' ';
                blanked.insert(c);
            }
        }
        result.target += "\r\n";
        for (const int c : blanked) {
            result.log += "\r\n             ";
            result.log += static_cast<char>(c);
            result.log +=
                Profile().LogTextBefore + " " + std::to_string(c) + Profile().LogTextAfter;
        }
    }
    if (!result.log.empty()) {
        result.log = "f : " + result.log + "\r\n";
    }
    if (lines != nullptr) {
        *lines = split;
    }
    return result;
}

class StringSink : public rz408::ConvertSink {
public:
    std::error_code WriteTarget(std::string_view bytes) override {
        result.target.append(bytes);
        return {};
    }
    void WriteLog(std::string_view bytes) override { result.log.append(bytes); }
    Result result;
};

Result Stream(std::string_view file, std::size_t piece, std::size_t block) {
    StringSink sink;
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
    return sink.result;
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
    Check(streamed.target == expected.target, "target differs from the model");
    Check(streamed.log == expected.log, "log differs from the model");

    // Invariants of the target: plain ASCII, every line ended by CR LF.
    for (std::size_t i = 0; i < streamed.target.size(); ++i) {
        const auto c = static_cast<unsigned char>(streamed.target[i]);
        Check(c < 128, "a code above 127 in the target");
        Check(c != '\r' || (i + 1 < streamed.target.size() && streamed.target[i + 1] == '\n'),
              "a CR without LF in the target");
    }
    Check(streamed.target.empty() || streamed.target.ends_with("\r\n"), "last line not ended");

    // Converting the target again changes nothing and logs nothing.
    const Result again = Stream(streamed.target, 1 + piece / 2, 1 + block / 3);
    Check(again.target == streamed.target, "a second conversion changed the target");
    Check(again.log.empty(), "a second conversion logged something");

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
    Check(target == expected.target, "TranslateLine differs from the model");
    Check((m.FileLog == "f : " ? std::string() : m.FileLog + "\r\n") == expected.log,
          "TranslateLine's log differs from the model");
    return 0;
}
