// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files for every test: a temporary folder removed with everything in it, whole files written
// and read byte for byte, the names in a folder.

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace rz408::test {

// What ReadFile returns for a file it cannot open: no file holds these bytes in a test.
inline constexpr std::string_view kMissing = "<missing>";

// Creates or replaces FILE with exactly BYTES (Windows: through the wide-character calls);
// throws std::runtime_error when it cannot.
void WriteFile(const std::filesystem::path& file, std::string_view bytes);

// The whole content of FILE, byte for byte; kMissing when it cannot be opened.
std::string ReadFile(const std::filesystem::path& file);

// The names in FOLDER (UTF-8), hidden ones included; empty when it cannot be listed.
std::set<std::string> Names(const std::filesystem::path& folder);

// A path as the batch command takes it on its command line and the listing returns it: UTF-8.
std::string Utf8(const std::filesystem::path& path);

// A fresh folder of a random name starting with PREFIX, under BASE (the system's temporary
// folder when BASE is no folder); removed with everything in it, after whatever would stop
// the removal is undone (folders made unreadable, Windows' read-only, hidden and system marks).
// /dev/shm, where there is one, is memory: fast for many files.
class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& prefix = "rz408-test",
                        const std::filesystem::path& base = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    operator const std::filesystem::path&() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return m_path / name;
    }

    // Creates (or replaces) NAME with exactly BYTES, and the folders it needs; returns its path.
    std::filesystem::path Write(const std::filesystem::path& name, std::string_view bytes) const;

    // The names in the folder, hidden ones included.
    std::set<std::string> Names() const { return test::Names(m_path); }

private:
    std::filesystem::path m_path;
};

// Whatever would stop FOLDER's removal undone (per system: TestFiles_linux.cpp,
// TestFiles_windows.cpp).
void MakeRemovable(const std::filesystem::path& folder);

} // namespace rz408::test
