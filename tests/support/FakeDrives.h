// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A drive set made up by a test: each drive has an entry as the drive list shows it, the
// answer of the drive-type query for its bare root, and a current folder.

#include "DriveSystem.h"

#include <algorithm>
#include <string>
#include <vector>

namespace rz408::test {

struct FakeDrive {
    std::string Entry; // "c: [SYSTEM]", "a:"
    DriveType Type;    // what GetDriveTypeA answers for "<letter>:\"
    std::filesystem::path Folder;
};

class FakeDrives : public DriveSystem {
public:
    std::vector<FakeDrive> Drives;
    char CurrentLetter = 'c';
    std::vector<std::string> Queries; // every text GetDriveTypeA was asked about

    std::vector<std::string> DriveEntries() override {
        std::vector<std::string> entries;
        for (const FakeDrive& d : Drives) {
            entries.push_back(d.Entry);
        }
        return entries;
    }

    DriveType GetDriveTypeA(std::string_view rootText) override {
        Queries.emplace_back(rootText);
        if (rootText.size() != 3 || rootText[1] != ':' || rootText[2] != '\\') {
            return DriveType::NoRootDir;
        }
        const FakeDrive* d = Find(DriveLetterOf(rootText));
        return d ? d->Type : DriveType::NoRootDir;
    }

    std::string CurrentDrive() override {
        const FakeDrive* d = Find(CurrentLetter);
        return d ? d->Entry : std::string();
    }

    std::filesystem::path CurrentFolderOf(std::string_view driveText) override {
        const FakeDrive* d = Find(DriveLetterOf(driveText));
        return d ? d->Folder : std::filesystem::path();
    }

private:
    const FakeDrive* Find(char letter) const {
        const auto it = std::find_if(Drives.begin(), Drives.end(), [&](const FakeDrive& d) {
            return DriveLetterOf(d.Entry) == letter;
        });
        return it == Drives.end() ? nullptr : &*it;
    }
};

} // namespace rz408::test
