// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileErrors.h"

#include <string>

namespace rz408::fileops {

namespace {

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
    static const OwnCategory kCategory;
    return {static_cast<int>(error), kCategory};
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

} // namespace rz408::fileops
