// SPDX-License-Identifier: GPL-3.0-or-later
// What the file operations of both systems share: the names of temporary files and the
// program's own errors.

#include "FileOps.h"

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

enum class OwnError {
    NotRegularFile = 1,
    NotAFileName,
    LinkNotFollowed,
    LinkToAnotherOwner,
    NotTheFolderOwners
};

class OwnCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "rz408"; }
    std::string message(int code) const override {
        switch (static_cast<OwnError>(code)) {
        case OwnError::NotRegularFile:
            return "not a regular file";
        case OwnError::NotAFileName:
            return "not the name of a file in the folder";
        case OwnError::LinkNotFollowed:
            return "a symbolic link, not followed";
        case OwnError::LinkToAnotherOwner:
            return "a link to another owner's file, in a folder others can write to";
        case OwnError::NotTheFolderOwners:
            return "another owner's file that the folder's owner may not read";
        }
        return "unknown error";
    }
};

std::error_code Own(OwnError error) {
    static const OwnCategory category;
    return {static_cast<int>(error), category};
}

} // namespace

std::error_code NotRegularFile() {
    return Own(OwnError::NotRegularFile);
}

std::error_code NotAFileName() {
    return Own(OwnError::NotAFileName);
}

std::error_code LinkNotFollowed() {
    return Own(OwnError::LinkNotFollowed);
}

std::error_code LinkToAnotherOwner() {
    return Own(OwnError::LinkToAnotherOwner);
}

std::error_code NotTheFolderOwners() {
    return Own(OwnError::NotTheFolderOwners);
}

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
