// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriveSystem_linux.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

namespace rz408 {

namespace {

namespace fs = std::filesystem;

// Undoes the octal escapes of the mount table ("\040" for a blank, "\134" for a backslash).
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string_view digits = text.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') {
            ++pos;
        }
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        if (end > pos) {
            fields.push_back(line.substr(pos, end - pos));
        }
        pos = end;
    }
    return fields;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// True where PATH is FOLDER or lies below it ("/run/media/x" is below "/run", "/runs" not).
bool IsAtOrBelow(std::string_view path, std::string_view folder) {
    if (folder == "/") {
        return true;
    }
    return StartsWith(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::array<std::string_view, N>& set) {
    return std::find(set.begin(), set.end(), text) != set.end();
}

// File systems that hold no user files.
constexpr std::array<std::string_view, 27> kPseudoFileSystems = {
    "proc",        "sysfs",       "cgroup",   "cgroup2",    "devpts",
    "devtmpfs",    "mqueue",      "debugfs",  "tracefs",    "securityfs",
    "pstore",      "bpf",         "autofs",   "fusectl",    "configfs",
    "hugetlbfs",   "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",
    "selinuxfs",   "squashfs",    "nfsd",     "overlay",    "fuse.gvfsd-fuse",
    "fuse.portal", "fuse.lxcfs"};

constexpr std::array<std::string_view, 17> kNetworkFileSystems = {
    "nfs",   "nfs4",        "cifs",        "smb3",      "smbfs",         "ncpfs",
    "afs",   "ceph",        "glusterfs",   "9p",        "sshfs",         "fuse.sshfs",
    "davfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs"};

constexpr std::array<std::string_view, 7> kSystemFolders = {"/boot", "/efi",  "/proc", "/sys",
                                                            "/dev",  "/snap", "/run"};

constexpr std::array<std::string_view, 3> kMediaFolders = {"/mnt", "/media", "/run/media"};

bool IsRamFileSystem(std::string_view fsType) {
    return fsType == "tmpfs" || fsType == "ramfs";
}

bool InMediaFolder(std::string_view mountPoint) {
    return std::any_of(kMediaFolders.begin(), kMediaFolders.end(), [&](std::string_view f) {
        return IsAtOrBelow(mountPoint, f) && mountPoint != f;
    });
}

bool InSystemFolder(std::string_view mountPoint) {
    if (IsAtOrBelow(mountPoint, "/run/media")) {
        return false;
    }
    return std::any_of(kSystemFolders.begin(), kSystemFolders.end(),
                       [&](std::string_view f) { return IsAtOrBelow(mountPoint, f); });
}

DriveType TypeOf(const MountEntry& e, const VolumeFacts& facts) {
    if (IsOneOf(e.FsType, kNetworkFileSystems)) {
        return DriveType::Remote;
    }
    if (e.FsType == "iso9660" || e.FsType == "udf" || StartsWith(e.Source, "/dev/sr") ||
        e.Source == "/dev/cdrom") {
        return DriveType::CdRom;
    }
    if (IsRamFileSystem(e.FsType)) {
        return DriveType::RamDisk;
    }
    if (facts.Removable && facts.Removable(e)) {
        return DriveType::Removable;
    }
    return DriveType::Fixed;
}

// The last component of a mount point: "/mnt/Spiele" -> "Spiele".
std::string LastComponent(std::string_view mountPoint) {
    const std::size_t slash = mountPoint.rfind('/');
    return std::string(slash == std::string_view::npos ? mountPoint : mountPoint.substr(slash + 1));
}

// A name for the brackets of the entry: the share for a network drive, else the volume label,
// else the mount point's last component ("System" for /).
std::string NameOf(const MountEntry& e, DriveType type, const VolumeFacts& facts) {
    if (type == DriveType::Removable || type == DriveType::CdRom) {
        return {};
    }
    if (type == DriveType::Remote && !e.Source.empty()) {
        return e.Source;
    }
    std::string label = facts.Label ? facts.Label(e) : std::string();
    if (!label.empty()) {
        return label;
    }
    if (e.MountPoint == "/") {
        return "System";
    }
    std::string last = LastComponent(e.MountPoint);
    return last.empty() ? std::string("Volume") : last;
}

fs::path CurrentFolder() {
    std::error_code ec;
    fs::path folder = fs::current_path(ec);
    return ec ? fs::path("/") : folder;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "\x20" in a name of /dev/disk/by-label stands for a blank.
std::string DecodeUdevName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string SystemLabel(const MountEntry& e) {
    if (e.Major == 0) {
        return {};
    }
    std::error_code ec;
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
        struct stat info {};
        if (::stat(it->path().c_str(), &info) == 0 && S_ISBLK(info.st_mode) &&
            ::major(info.st_rdev) == e.Major && ::minor(info.st_rdev) == e.Minor) {
            return DecodeUdevName(it->path().filename().string());
        }
    }
    return {};
}

bool SystemRemovable(const MountEntry& e) {
    if (e.Major == 0) {
        return false;
    }
    std::error_code ec;
    const fs::path device = fs::canonical(
        fs::path("/sys/dev/block") / (std::to_string(e.Major) + ":" + std::to_string(e.Minor)), ec);
    if (ec) {
        return false;
    }
    if (device.native().find("/usb") != std::string::npos) {
        return true;
    }
    // A partition's own folder has no "removable"; its disk's folder, one up, has.
    for (const fs::path& folder : {device, device.parent_path()}) {
        const std::string flag = ReadFile(folder / "removable");
        if (!flag.empty()) {
            return flag[0] == '1';
        }
    }
    return false;
}

bool SystemIsFolder(const std::string& mountPoint) {
    std::error_code ec;
    return fs::is_directory(mountPoint, ec);
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::vector<std::string_view> f = SplitFields(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source options
        const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) {
            continue;
        }
        MountEntry e;
        const std::string_view devices = f[2];
        const std::size_t colon = devices.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        try {
            e.Major = static_cast<unsigned>(std::stoul(std::string(devices.substr(0, colon))));
            e.Minor = static_cast<unsigned>(std::stoul(std::string(devices.substr(colon + 1))));
        } catch (const std::exception&) {
            continue;
        }
        e.Root = Unescape(f[3]);
        e.MountPoint = Unescape(f[4]);
        e.FsType = Unescape(dash[1]);
        e.Source = Unescape(dash[2]);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string Volume::Entry() const {
    std::string entry{Letter, ':'};
    if (!Name.empty()) {
        entry += " [" + Name + "]";
    }
    return entry;
}

std::vector<Volume> VolumesFromMountInfo(std::string_view mountinfo, const VolumeFacts& facts) {
    std::vector<MountEntry> kept;
    MountEntry system{0, 0, "/", "/", "", ""};
    for (MountEntry& e : ParseMountInfo(mountinfo)) {
        if (e.MountPoint == "/") {
            system = std::move(e); // the last mount on / is the one in sight
            continue;
        }
        const bool ram = IsRamFileSystem(e.FsType);
        if ((!ram && IsOneOf(e.FsType, kPseudoFileSystems)) || InSystemFolder(e.MountPoint) ||
            (ram && !InMediaFolder(e.MountPoint)) ||
            (facts.IsFolder && !facts.IsFolder(e.MountPoint))) {
            continue;
        }
        // A later mount on the same folder hides the earlier one.
        std::erase_if(kept, [&](const MountEntry& k) { return k.MountPoint == e.MountPoint; });
        kept.push_back(std::move(e));
    }

    std::vector<Volume> volumes;
    // The system volume is always a fixed disk, whatever file system carries it.
    volumes.push_back(Volume{'c', "/", DriveType::Fixed, NameOf(system, DriveType::Fixed, facts)});
    char letter = 'd';
    for (const MountEntry& e : kept) {
        if (letter > 'z') {
            break;
        }
        const DriveType type = TypeOf(e, facts);
        volumes.push_back(Volume{letter++, e.MountPoint, type, NameOf(e, type, facts)});
    }
    return volumes;
}

LinuxDriveSystem::LinuxDriveSystem(std::vector<Volume> volumes,
                                   std::function<fs::path()> currentFolder)
    : m_volumes(std::move(volumes)), m_currentFolder(std::move(currentFolder)) {}

std::vector<std::string> LinuxDriveSystem::DriveEntries() {
    std::vector<std::string> entries;
    for (const Volume& v : m_volumes) {
        entries.push_back(v.Entry());
    }
    return entries;
}

DriveType LinuxDriveSystem::GetDriveTypeA(std::string_view rootText) {
    // Only a bare root, letter colon backslash, names a drive.
    if (rootText.size() != 3 || rootText[1] != ':' || rootText[2] != '\\') {
        return DriveType::NoRootDir;
    }
    const Volume* v = VolumeOfLetter(DriveLetterOf(rootText));
    return v ? v->Type : DriveType::NoRootDir;
}

std::string LinuxDriveSystem::CurrentDrive() {
    const Volume* v = VolumeHolding(m_currentFolder());
    return v ? v->Entry() : m_volumes.front().Entry();
}

fs::path LinuxDriveSystem::CurrentFolderOf(std::string_view driveText) {
    const Volume* v = VolumeOfLetter(DriveLetterOf(driveText));
    if (!v) {
        return {};
    }
    const fs::path current = m_currentFolder();
    return VolumeHolding(current) == v ? current : fs::path(v->MountPoint);
}

const Volume* LinuxDriveSystem::VolumeOfLetter(char letter) const {
    const auto it = std::find_if(m_volumes.begin(), m_volumes.end(),
                                 [&](const Volume& v) { return v.Letter == letter; });
    return it == m_volumes.end() ? nullptr : &*it;
}

const Volume* LinuxDriveSystem::VolumeHolding(const fs::path& folder) const {
    const Volume* best = nullptr;
    for (const Volume& v : m_volumes) {
        if (IsAtOrBelow(folder.native(), v.MountPoint) &&
            (!best || v.MountPoint.size() > best->MountPoint.size())) {
            best = &v;
        }
    }
    return best;
}

VolumeFacts SystemVolumeFacts() {
    return VolumeFacts{SystemLabel, SystemRemovable, SystemIsFolder};
}

std::unique_ptr<DriveSystem> MakeSystemDrives() {
    return std::make_unique<LinuxDriveSystem>(
        VolumesFromMountInfo(ReadFile("/proc/self/mountinfo"), SystemVolumeFacts()), CurrentFolder);
}

} // namespace rz408
