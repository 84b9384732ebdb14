// SPDX-License-Identifier: GPL-3.0-or-later
// The drives of a Windows machine: its drive letters, volume labels and network shares, and
// kernel32's own GetDriveTypeA.

#include "DriveSystem_windows.h"

#include "WideText.h"
#include "Win32.h"

#include <winnetwk.h>

#include <vector>

namespace rz408 {

namespace {

// The single-byte text TEXT of code page FROM in code page TO ('?' where TO lacks a character).
std::string Recode(std::string_view text, UINT from, UINT to) {
    if (text.empty()) {
        return {};
    }
    const int wideSize =
        ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize > 0 ? wideSize : 0), L'\0');
    if (wideSize > 0) {
        ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              wideSize);
    }
    return WideToCodePage(wide, to);
}

// While the drives are asked, the system shows no "There is no disk in the drive" box.
class QuietDriveErrors {
public:
    QuietDriveErrors() {
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_before);
    }
    ~QuietDriveErrors() { ::SetThreadErrorMode(m_before, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD m_before = 0;
};

std::wstring VolumeLabel(const std::wstring& root) {
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                 nullptr, 0)) {
        return {};
    }
    return label;
}

// The share a network drive stands for, as the system remembers it (the server is not asked,
// so a drive whose server is gone does not hold up the list).
std::wstring RemoteName(wchar_t letter) {
    const std::wstring local{letter, L':'};
    std::vector<wchar_t> remote(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(remote.size());
        const DWORD result = ::WNetGetConnectionW(local.c_str(), remote.data(), &size);
        if (result == NO_ERROR) {
            return remote.data();
        }
        if (result != ERROR_MORE_DATA) {
            break;
        }
        remote.resize(size + 1);
    }
    return {};
}

// What the system tells of the drive of ROOT ("C:\").
WindowsDriveFacts FactsOf(const std::wstring& root) {
    WindowsDriveFacts facts;
    const wchar_t letter = root[0];
    facts.Letter =
        static_cast<char>(letter >= L'A' && letter <= L'Z' ? letter - L'A' + L'a' : letter);
    facts.Type = static_cast<DriveType>(::GetDriveTypeW(root.c_str()));
    switch (facts.Type) {
    case DriveType::Fixed:
    case DriveType::RamDisk:
        facts.Label = WideToUtf8(VolumeLabel(root));
        break;
    case DriveType::Remote:
        facts.Remote = WideToUtf8(RemoteName(letter));
        break;
    default:
        // Removable and optical media are not asked for a label: no waiting for a disk.
        break;
    }
    return facts;
}

// The roots of the drives present ("A:\", "C:\" ...), by letter.
std::vector<std::wstring> DriveRoots() {
    std::vector<wchar_t> buffer(4 * 26 + 1);
    for (;;) {
        const DWORD length =
            ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            break;
        }
        buffer.resize(length + 1);
    }
    std::vector<std::wstring> roots;
    for (const wchar_t* root = buffer.data(); *root != L'\0'; root += wcslen(root) + 1) {
        const wchar_t letter = root[0];
        if (((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')) &&
            root[1] == L':') {
            roots.emplace_back(std::wstring{static_cast<wchar_t>(towupper(letter)), L':', L'\\'});
        }
    }
    return roots;
}

bool DrivePresent(char letter) {
    return letter >= 'a' && letter <= 'z' && (::GetLogicalDrives() & (1u << (letter - 'a'))) != 0;
}

std::wstring RootOf(char letter) {
    return std::wstring{static_cast<wchar_t>(letter - 'a' + 'A'), L':', L'\\'};
}

char CurrentLetter() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
    if (length >= 2 && length < size && folder[1] == L':' && folder[0] < 0x80) {
        return DriveLetterOf(std::string(1, static_cast<char>(folder[0])));
    }
    return '\0'; // a network path (\\server\share\...) has no drive letter
}

class WindowsDriveSystem : public DriveSystem {
public:
    std::vector<std::string> DriveEntries() override {
        const QuietDriveErrors quiet;
        std::vector<std::string> entries;
        for (const std::wstring& root : DriveRoots()) {
            entries.push_back(WindowsDriveEntry(FactsOf(root)));
        }
        return entries;
    }

    DriveType GetDriveTypeA(std::string_view rootText) override {
        // The query text is Windows-1252; kernel32 reads single-byte text in the system's
        // ANSI code page.
        const std::string ansi = Recode(rootText, 1252, CP_ACP);
        const QuietDriveErrors quiet;
        return static_cast<DriveType>(::GetDriveTypeA(ansi.c_str()));
    }

    std::string CurrentDrive() override {
        char letter = CurrentLetter();
        if (!DrivePresent(letter)) {
            letter = DrivePresent('c') ? 'c' : '\0';
        }
        if (letter == '\0') {
            const std::vector<std::wstring> roots = DriveRoots();
            if (roots.empty()) {
                return "c:";
            }
            letter = static_cast<char>(roots.front()[0] - L'A' + 'a');
        }
        const QuietDriveErrors quiet;
        return WindowsDriveEntry(FactsOf(RootOf(letter)));
    }

    std::filesystem::path CurrentFolderOf(std::string_view driveText) override {
        const char letter = DriveLetterOf(driveText);
        if (!DrivePresent(letter)) {
            return {};
        }
        // "X:" alone is the current folder of drive X: the process's current folder when it
        // lies there, else the folder last used on X, else its root.
        const std::wstring drive{static_cast<wchar_t>(letter - 'a' + 'A'), L':'};
        const DWORD size = ::GetFullPathNameW(drive.c_str(), 0, nullptr, nullptr);
        std::wstring folder(size, L'\0');
        const DWORD length = ::GetFullPathNameW(drive.c_str(), size, folder.data(), nullptr);
        if (length == 0 || length >= size) {
            return RootOf(letter);
        }
        folder.resize(length);
        if (folder.size() > 3 && folder.back() == L'\\') {
            folder.pop_back(); // "C:\Games\" -> "C:\Games"; a root keeps its backslash
        }
        return folder;
    }
};

} // namespace

std::string WindowsDriveEntry(const WindowsDriveFacts& facts) {
    std::string entry{facts.Letter, ':'};
    std::string name;
    switch (facts.Type) {
    case DriveType::Fixed:
        name = facts.Label.empty() ? "Local Disk" : facts.Label;
        break;
    case DriveType::Remote:
        name = !facts.Remote.empty()  ? facts.Remote
               : !facts.Label.empty() ? facts.Label
                                      : "Network Drive";
        break;
    case DriveType::RamDisk:
        name = facts.Label.empty() ? "RAM Disk" : facts.Label;
        break;
    default:
        break;
    }
    if (!name.empty()) {
        entry += " [" + name + "]";
    }
    return entry;
}

std::unique_ptr<DriveSystem> MakeSystemDrives() {
    return std::make_unique<WindowsDriveSystem>();
}

} // namespace rz408
