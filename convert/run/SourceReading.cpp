// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceReading.h"

#include "ReadWrite.h"

namespace rz408 {

std::error_code FileSource::Read(char* data, std::size_t size, std::size_t& got) {
    if (!m_positioned) {
        return fileops::ReadSome(m_file, data, size, got);
    }
    const std::error_code error = fileops::ReadAt(m_file, m_offset, data, size, got);
    m_offset += got;
    return error;
}

std::error_code FileSource::Seek(std::uint64_t offset) {
    m_positioned = true;
    m_offset = offset;
    return {};
}

SourceReading ReadCharacters(const std::filesystem::path& folder, std::string_view name,
                             std::optional<SourceEncoding> encoding,
                             const std::function<void(const SourceCharacter&)>& each) {
    fileops::Folder opened;
    fileops::OpenFolder(folder, opened);
    return ReadCharacters(opened, name, encoding, each);
}

SourceReading ReadCharacters(const fileops::Folder& folder, std::string_view name,
                             std::optional<SourceEncoding> encoding,
                             const std::function<void(const SourceCharacter&)>& each) {
    fileops::File file;
    if (const std::error_code error = fileops::OpenForReading(folder, name, file)) {
        SourceReading result;
        result.ReadError = error;
        return result;
    }
    FileSource source(file);
    return ReadCharacters(source, encoding, each);
}

} // namespace rz408
