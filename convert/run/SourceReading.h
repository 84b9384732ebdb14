// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading a source file as the text it holds (SourceDecoding.h tells how).

#include "Folder.h"
#include "SourceDecoding.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <system_error>

namespace rz408 {

// A source file opened with fileops::OpenForReading.
class FileSource : public ByteSource {
public:
    explicit FileSource(fileops::File& file) : m_file(file) {}
    std::error_code Read(char* data, std::size_t size, std::size_t& got) override;
    std::error_code Seek(std::uint64_t offset) override;

private:
    fileops::File& m_file;
    bool m_positioned = false; // read at m_offset from now on
    std::uint64_t m_offset = 0;
};

// The same for the source file NAME (UTF-8, as listed) of FOLDER, opened as the conversion
// opens it: only a regular file is read.
SourceReading ReadCharacters(const std::filesystem::path& folder, std::string_view name,
                             std::optional<SourceEncoding> encoding,
                             const std::function<void(const SourceCharacter&)>& each);
SourceReading ReadCharacters(const fileops::Folder& folder, std::string_view name,
                             std::optional<SourceEncoding> encoding,
                             const std::function<void(const SourceCharacter&)>& each);

} // namespace rz408
