// SPDX-License-Identifier: GPL-3.0-or-later
// The names and marks of temporary files, alike on every system.

#include "Leftovers.h"

#include <chrono>
#include <random>

namespace rz408::fileops {

namespace {

constexpr std::string_view kTemporaryMark = ".rz408-tmp-";
constexpr std::size_t kSuffixLength = 12;
constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
// Of the target's name, a temporary file's name keeps at most this many bytes: with the dot in
// front and the mark and suffix behind, it stays far below every file system's limit.
constexpr std::size_t kNameKept = 120;

bool IsSuffixLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

std::string RandomSuffix() {
    thread_local std::mt19937_64 random(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::string suffix;
    for (std::size_t k = 0; k < kSuffixLength; ++k) {
        suffix += kSuffixLetters[random() % (sizeof kSuffixLetters - 1)];
    }
    return suffix;
}

std::string TemporaryName(std::string_view targetName, std::string_view suffix) {
    std::string_view kept = targetName.substr(0, kNameKept);
    // Never cut a UTF-8 sequence in two (Windows names must be valid UTF-16).
    if (kept.size() < targetName.size()) {
        while (!kept.empty() &&
               (static_cast<unsigned char>(targetName[kept.size()]) & 0xC0) == 0x80) {
            kept.remove_suffix(1);
        }
    }
    std::string name = ".";
    name.append(kept);
    name.append(kTemporaryMark);
    name.append(suffix);
    return name;
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() < 1 + kTemporaryMark.size() + kSuffixLength || name.front() != '.') {
        return false;
    }
    const std::string_view suffix = name.substr(name.size() - kSuffixLength);
    const std::string_view mark =
        name.substr(name.size() - kSuffixLength - kTemporaryMark.size(), kTemporaryMark.size());
    for (const char c : suffix) {
        if (!IsSuffixLetter(c)) {
            return false;
        }
    }
    return mark == kTemporaryMark;
}

std::int64_t TemporaryMark(std::string_view temporaryName) {
    // 2037-01-01 00:00:00 UTC and up to 194 days after it, in steps of two seconds: before the
    // end of 32-bit times (2038), which some file systems still keep. Reading a file does not
    // move its time of last access back from the future (relatime), so a look at a leftover
    // leaves its mark.
    constexpr std::int64_t kFirst = 2114380800;
    std::uint64_t hash = 14695981039346656037u; // FNV-1a
    for (const char c : temporaryName) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    }
    return kFirst + 2 * static_cast<std::int64_t>(hash % (std::uint64_t{1} << 23));
}

} // namespace rz408::fileops
