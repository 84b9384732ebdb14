// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderListing.h"

#include "Folder.h"
#include "FolderEntries.h"
#include "PathText.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace rz408 {

namespace {

unsigned char Fold(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// The length of the character at NAME[I]: a whole UTF-8 sequence, or one byte where the bytes
// are not UTF-8.
std::size_t CharLength(std::string_view name, std::size_t i) {
    const auto lead = static_cast<unsigned char>(name[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (name.size() - i < length) {
        return 1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// Without regard to case first, then by the bytes, so that the order is total.
bool NameLess(const std::string& a, const std::string& b) {
    const auto folded = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Fold(x) < Fold(y); });
    if (folded) {
        return true;
    }
    const auto foldedReverse = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) { return Fold(x) < Fold(y); });
    if (foldedReverse) {
        return false;
    }
    return a < b;
}

// The names (UTF-8) of the entries of FOLDER that KEEP accepts, sorted by NameLess; KEEP is
// called with each name and kind and the reason for an Unknown one. When the folder cannot be
// read (or fails part way), none, and ERROR says why; cleared otherwise.
template <typename Keep>
std::vector<std::string> SortedNames(const fileops::Folder& folder, Keep keep,
                                     std::error_code& error) {
    std::vector<std::string> names;
    try {
        error = fileops::ListEntries(
            folder, [&](std::string_view name, fileops::EntryKind kind, std::error_code why) {
                if (keep(name, kind, why)) {
                    names.emplace_back(name);
                }
            });
    } catch (const std::bad_alloc&) {
        error = std::make_error_code(std::errc::not_enough_memory);
    } catch (const std::system_error& e) {
        error = e.code();
    } catch (...) {
        error = std::make_error_code(std::errc::io_error);
    }
    if (error) {
        return {};
    }
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

} // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    constexpr auto kNone = std::string_view::npos;
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = kNone; // pattern position behind the last '*'
    std::size_t starName = 0;        // where in the name that '*' stops matching
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            n += CharLength(name, n);
            ++p;
        } else if (p < pattern.size() && Fold(pattern[p]) == Fold(name[n])) {
            ++n;
            ++p;
        } else if (starPattern != kNone) {
            starName += CharLength(name, starName);
            n = starName;
            p = starPattern;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::vector<std::string> ListFolder(const fileops::Folder& folder, std::string_view pattern,
                                    std::error_code& error) {
    return SortedNames(
        folder,
        [pattern](std::string_view name, fileops::EntryKind kind, std::error_code) {
            return fileops::IsListable(kind) && MatchesPattern(name, pattern);
        },
        error);
}

std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern,
                                    std::error_code& error) {
    fileops::Folder opened;
    if ((error = fileops::OpenFolder(folder, opened))) {
        return {};
    }
    return ListFolder(opened, pattern, error);
}

std::vector<std::string> ListFolder(const std::filesystem::path& folder, std::string_view pattern) {
    std::error_code ignored;
    return ListFolder(folder, pattern, ignored);
}

Subfolders ListSubfolders(const fileops::Folder& folder) {
    Subfolders subfolders;
    subfolders.Names = SortedNames(
        folder,
        [&](std::string_view name, fileops::EntryKind kind, std::error_code why) {
            if (kind == fileops::EntryKind::Unknown) {
                subfolders.Unknown.emplace_back(name, why);
            }
            return fileops::IsEnterableFolder(kind);
        },
        subfolders.Error);
    if (subfolders.Error) {
        subfolders.Unknown.clear();
    }
    return subfolders;
}

std::filesystem::path PathInFolder(const std::filesystem::path& folder, std::string_view name) {
    return folder / Utf8ToPath(name);
}

} // namespace rz408
