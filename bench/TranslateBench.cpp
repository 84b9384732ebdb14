// SPDX-License-Identifier: GPL-3.0-or-later
// The inner loop of a conversion: the line translation of one line (TranslateLine), and the
// streaming path that the conversion run uses, on German game-style text and on plain ASCII.

#include "ByteScan.h"
#include "Encoding.h"
#include "LanguageProfile.h"
#include "LineTranslation.h"
#include "Module1.h"
#include "SourceDecoding.h"
#include "StreamConverter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rz408 {
namespace {

// Windows-1252 game-text pieces: umlauts, sharp s, French accents, typographic quotes, dashes
// and ellipses (the last three become blanks and are logged).
const std::string_view kGameWords[] = {
    "Truppen",
    "Angriff",
    "Verteidigung",
    "Burg",
    "Stadt",
    "Einheit",
    "der",
    "die",
    "das",
    "und",
    "nach",
    "wird",
    "Kampagne",
    "Szenario",
    "Festung",
    "Gold",
    "Holz",
    "Stein",
    "Br\xFC"
    "cke",
    "Stra\xDF"
    "e",
    "K\xF6nig",
    "M\xF6nch",
    "Sp\xE4her",
    "Fu\xDFvolk",
    "Verr\xE4ter",
    "S\xFC"
    "dtor",
    "zerst\xF6ren",
    "ch\xE2teau",
    "\xE9lite",
    "h\xE9ros",
    "\x84Sieg\x93",
    "\xABKarte\xBB",
    "\x96",
    "\x97",
    "Lager\x85",
    "ist\x92s",
};

const std::string_view kAsciiWords[] = {
    "Truppen", "Angriff", "Verteidigung", "Burg",    "Stadt",   "Einheit",  "der",
    "die",     "das",     "und",          "nach",    "wird",    "Kampagne", "Szenario",
    "Festung", "Gold",    "Holz",         "Stein",   "Bruecke", "Strasse",  "Koenig",
    "-",       "...",     "\"Sieg\"",     "'Karte'", "Lager",   "Sueden",   "elite",
};

// Lines of 5 to 40 words, the same for every run.
template <std::size_t N>
std::vector<std::string> MakeLines(const std::string_view (&words)[N], std::size_t bytes) {
    std::vector<std::string> lines;
    std::uint32_t state = 408;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    std::size_t total = 0;
    while (total < bytes) {
        std::string line;
        const std::uint32_t count = 5 + next() % 36;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (i > 0) {
                line += ' ';
            }
            line += words[next() % N];
        }
        line += '.';
        total += line.size() + 2;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

constexpr std::size_t kTextBytes = 4 * 1000 * 1000;

// TranslateLine, called line by line.
template <std::size_t N>
void TranslateLines(benchmark::State& state, const std::string_view (&words)[N]) {
    const std::vector<std::string> lines = MakeLines(words, kTextBytes);
    Module1 m;
    InstallProgramTexts(kGermanProfile, m);
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& line : lines) {
            m.FileLog = "x.deu : ";
            m.CurrentLine = line;
            TranslateLine(m);
            benchmark::DoNotOptimize(m.CurrentLine.data());
            bytes += line.size() + 2;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void TranslateLineGame(benchmark::State& state) {
    TranslateLines(state, kGameWords);
}
void TranslateLineAscii(benchmark::State& state) {
    TranslateLines(state, kAsciiWords);
}

// A sink that only counts, so that the loop is measured without the file system.
class CountingSink : public ConvertSink {
public:
    std::error_code WriteTarget(std::string_view bytes) override {
        Target += bytes.size();
        return {};
    }
    void WriteLog(std::string_view bytes) override { Log += bytes.size(); }
    std::size_t Target = 0;
    std::size_t Log = 0;
};

// The streaming path, fed in read-sized blocks.
template <std::size_t N>
void StreamText(benchmark::State& state, const std::string_view (&words)[N]) {
    const std::string text = JoinCrLf(MakeLines(words, kTextBytes));
    const auto blockSize = static_cast<std::size_t>(state.range(0));
    Module1 m;
    InstallProgramTexts(kGermanProfile, m);
    CountingSink sink;
    for (auto _ : state) {
        StreamConverter converter(m, sink);
        converter.Start("x.deu : ");
        for (std::size_t at = 0; at < text.size(); at += blockSize) {
            benchmark::DoNotOptimize(converter.Feed(std::string_view(text).substr(at, blockSize)));
        }
        benchmark::DoNotOptimize(converter.Finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["out/in"] =
        static_cast<double>(sink.Target) / static_cast<double>(text.size() * state.iterations());
}

void StreamGame(benchmark::State& state) {
    StreamText(state, kGameWords);
}
void StreamAscii(benchmark::State& state) {
    StreamText(state, kAsciiWords);
}

// A whole source as the run reads it: its encoding told by its bytes, then converted. The game
// text in Windows-1252, and saved as UTF-8.
void ReadSource(benchmark::State& state, const std::string& text) {
    Module1 m;
    InstallProgramTexts(kGermanProfile, m);
    CountingSink sink;
    StreamConverter converter(m, sink);
    SourceReader reader;
    for (auto _ : state) {
        converter.Start("x.deu : ");
        MemorySource source(text);
        benchmark::DoNotOptimize(reader.Read(source, std::nullopt, converter).Encoding);
        benchmark::DoNotOptimize(converter.Finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void ReadGame(benchmark::State& state) {
    ReadSource(state, JoinCrLf(MakeLines(kGameWords, kTextBytes)));
}
void ReadGameUtf8(benchmark::State& state) {
    ReadSource(state, Cp1252ToUtf8(JoinCrLf(MakeLines(kGameWords, kTextBytes))));
}

// The scan for the bytes that need more than a copy, over plain ASCII: a word or a vector at
// a time, stepping past each byte it stops at (a CR at each line end).
template <typename ScannerType>
void ScanPlainText(benchmark::State& state) {
    const std::string text = JoinCrLf(MakeLines(kAsciiWords, kTextBytes));
    std::string out(text.size() + ScannerType::kWidth, '\0');
    const std::size_t end = text.size() - ScannerType::kWidth;
    for (auto _ : state) {
        std::size_t at = 0;
        while (at <= end) {
            const std::size_t plain = ScannerType::Scan(text.data() + at, out.data() + at);
            at += plain == ScannerType::kWidth ? plain : plain + 1;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

BENCHMARK(TranslateLineGame)->Unit(benchmark::kMillisecond);
BENCHMARK(TranslateLineAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(StreamGame)->Arg(64 * 1024)->Arg(256 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(StreamAscii)->Arg(64 * 1024)->Arg(256 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadGame)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadGameUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanPlainText<WordScanner>)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanPlainText<Scanner>)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz408

BENCHMARK_MAIN();
