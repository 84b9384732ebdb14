// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests of the conversion share: the profile texts, log entries, a sink that collects
// what a conversion writes, Unicode text, random line bytes.

#include "Module1.h"
#include "StreamConverter.h"
#include "Unicode.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace rz408::test {

// The log and message texts of the three languages, as the profiles hold them (Windows-1252;
// the German count message has a u umlaut).
inline Module1 French() {
    Module1 m;
    m.LogTextBefore = " (La valeur ASCII ";
    m.LogTextAfter = ") est convertie en 'espace'.";
    m.CountMessage = "Nombre de fichiers convertis pour le patch RZ408: ";
    m.LogBaseName = "Erreurs_de_conversion.";
    return m;
}

inline Module1 German() {
    Module1 m;
    m.LogTextBefore = " (ascii werte";
    m.LogTextAfter = ") ist konvertiert zu leerzeichen.";
    m.CountMessage = "Anzahl der konvertierten Dateien f\xFCr Userpatch408: ";
    m.LogBaseName = "konvertionsfehler";
    return m;
}

inline Module1 English() {
    Module1 m;
    m.LogTextBefore = " (ASCII value";
    m.LogTextAfter = ") is converted to space.";
    m.CountMessage = "Number of converted files for Userpatch408:";
    m.LogBaseName = "Conversionerrors";
    return m;
}

// A German log entry, spelled out piece by piece: of a Windows-1252 code, and of a character
// that Windows-1252 lacks (shown as '?') by its Unicode number.
inline std::string GermanEntry(int code) {
    return "\r\n             " + std::string(1, static_cast<char>(code)) + " (ascii werte " +
           std::to_string(code) + ") ist konvertiert zu leerzeichen.";
}

inline std::string GermanOtherEntry(std::int64_t number) {
    return "\r\n             ? (ascii werte " + std::to_string(number) +
           ") ist konvertiert zu leerzeichen.";
}

// Collects what a conversion writes; can be told to fail the Nth target write, and to take back
// what it got (RESTARTABLE).
class StringSink : public ConvertSink {
public:
    std::error_code WriteTarget(std::string_view bytes) override {
        ++Writes;
        LargestWrite = std::max(LargestWrite, bytes.size());
        if (Writes == FailAtWrite) {
            return std::make_error_code(std::errc::no_space_on_device);
        }
        Target.append(bytes);
        return {};
    }
    void WriteLog(std::string_view bytes) override { Log.append(bytes); }
    bool CanRestart() const override { return Restartable; }
    std::error_code Restart() override {
        ++Restarts;
        Target.clear();
        Log.clear();
        return {};
    }

    std::string Target;
    std::string Log;
    bool Restartable = false;
    std::size_t Restarts = 0;
    std::size_t Writes = 0;
    std::size_t FailAtWrite = 0; // 0: never
    std::size_t LargestWrite = 0;
};

// Unicode text from characters: UTF-8, and UTF-16 in either byte order. They encode whatever
// they are given (lone surrogates too), so that tests can break the text on purpose.
inline std::string Utf8Of(std::u32string_view text) {
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::string Utf16Of(std::u32string_view text, bool bigEndian) {
    std::string out;
    const auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (const char32_t c : text) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

// The characters of a Windows-1252 text.
inline std::u32string CharsOfCp1252(std::string_view cp1252) {
    std::u32string chars;
    for (const char ch : cp1252) {
        chars += CharOfCp1252(static_cast<unsigned char>(ch));
    }
    return chars;
}

// Random bytes for line tests: mostly letters and blanks, with codes above 127, grave accents
// and line feeds mixed in; never a carriage return unless WITH_CR.
inline std::string RandomBytes(std::mt19937& random, std::size_t size, bool withCr) {
    std::string bytes;
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> letter('a', 'z');
    for (std::size_t k = 0; k < size; ++k) {
        int code = 0;
        switch (kind(random)) {
        case 0:
        case 1:
            code = 128 + any(random) / 2;
            break;
        case 2:
            code = any(random);
            break;
        case 3:
            code = withCr && any(random) < 96 ? '\r' : (any(random) < 128 ? '\n' : '`');
            break;
        default:
            code = letter(random);
        }
        if (code == '\r' && !withCr) {
            code = ' ';
        }
        bytes += static_cast<char>(code);
    }
    return bytes;
}

} // namespace rz408::test
