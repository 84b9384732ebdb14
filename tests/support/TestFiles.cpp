// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"

#include <random>
#include <stdexcept>

namespace rz408::test {

std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        names.insert(Utf8(it->path().filename()));
    }
    return names;
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

TempFolder::TempFolder(const std::filesystem::path& prefix, const std::filesystem::path& base) {
    std::error_code error;
    const std::filesystem::path under =
        std::filesystem::is_directory(base, error) ? base : std::filesystem::temp_directory_path();
    // The standard library's own calls, so that the Windows build has them too.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = under / prefix;
        candidate += "-" + std::to_string(random()) + std::to_string(random());
        if (std::filesystem::create_directory(candidate)) {
            m_path = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    MakeRemovable(m_path);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempFolder::Write(const std::filesystem::path& name,
                                        std::string_view bytes) const {
    const std::filesystem::path file = m_path / name;
    std::filesystem::create_directories(file.parent_path());
    WriteFile(file, bytes);
    return file;
}

} // namespace rz408::test
