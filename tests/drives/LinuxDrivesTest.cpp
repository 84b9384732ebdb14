// SPDX-License-Identifier: GPL-3.0-or-later
// The drives of a Linux machine, read from mount tables that the tests write.

#include "DriveSystem_linux.h"
#include "Rows.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

using namespace rz408;

namespace {

// Labels by device number, removable devices, and mount points that are files.
struct Machine {
    std::map<std::pair<unsigned, unsigned>, std::string> Labels;
    std::set<std::pair<unsigned, unsigned>> Removable;
    std::set<std::string> Files;

    VolumeFacts Facts() const {
        return VolumeFacts{[this](const MountEntry& e) {
                               const auto it = Labels.find({e.Major, e.Minor});
                               return it == Labels.end() ? std::string() : it->second;
                           },
                           [this](const MountEntry& e) {
                               return Removable.count({e.Major, e.Minor}) > 0;
                           },
                           [this](const std::string& m) { return Files.count(m) == 0; }};
    }
};

const char* const kRoot = "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n";

// A desktop with the usual pseudo mounts, a home partition, a USB stick, a CD, an NFS share
// and a RAM disk.
const char* const kDesktop =
    "21 26 0:20 / /proc rw,relatime shared:12 - proc proc rw\n"
    "22 26 0:21 / /sys rw,relatime shared:2 - sysfs sysfs rw\n"
    "23 26 0:6 / /dev rw,relatime shared:3 - devtmpfs udev rw,size=100k\n"
    "24 23 0:22 / /dev/shm rw - tmpfs tmpfs rw\n"
    "25 23 0:23 / /dev/pts rw - devpts devpts rw,mode=600\n"
    "26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "27 22 0:27 / /sys/fs/cgroup rw shared:4 - cgroup2 cgroup2 rw\n"
    "28 26 0:28 / /run rw shared:5 - tmpfs tmpfs rw,mode=755\n"
    "29 28 0:29 / /run/user/1000 rw shared:6 - tmpfs tmpfs rw\n"
    "30 26 8:1 / /boot/efi rw shared:7 - vfat /dev/sda1 rw\n"
    "31 26 8:3 / /home rw,relatime shared:8 - ext4 /dev/sda3 rw\n"
    "32 26 7:1 / /snap/core22/1122 ro shared:9 - squashfs /dev/loop1 ro\n"
    "33 26 0:30 / /tmp rw shared:10 - tmpfs tmpfs rw\n"
    "34 28 8:17 / /media/anna/STICK rw,nosuid shared:11 - vfat /dev/sdb1 rw\n"
    "35 28 11:0 / /media/anna/VANDROK_CD ro shared:13 - iso9660 /dev/sr0 ro\n"
    "36 26 0:31 / /mnt/nfs rw shared:14 - nfs4 server:/export/games rw,vers=4.2\n"
    "37 26 0:32 / /mnt/ram rw shared:15 - tmpfs tmpfs rw,size=64m\n"
    "38 26 0:33 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw\n"
    "39 26 0:34 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw\n";

Machine DesktopMachine() {
    Machine m;
    m.Labels[{8, 2}] = "SYSTEM";
    m.Labels[{8, 17}] = "STICK";
    m.Labels[{11, 0}] = "VANDROK_CD";
    m.Removable.insert({8, 17});
    return m;
}

LinuxDriveSystem Desktop(const std::string& currentFolder = "/home/anna/games") {
    const Machine m = DesktopMachine();
    return LinuxDriveSystem(VolumesFromMountInfo(kDesktop, m.Facts()),
                            [currentFolder] { return std::filesystem::path(currentFolder); });
}

} // namespace

TEST(LinuxDrives, DesktopListsTheVolumesThatHoldUserFiles) {
    LinuxDriveSystem drives = Desktop();
    EXPECT_EQ(drives.DriveEntries(),
              (std::vector<std::string>{"c: [SYSTEM]", "d: [home]",
                                        "e:", "f:", "g: [server:/export/games]", "h: [ram]"}));
}

struct QueryRow {
    const char* Name;
    friend void PrintTo(const QueryRow& row, std::ostream* out) { *out << row.Name; }
    std::string RootText;
    DriveType Type;
};

class DriveTypeQuery : public testing::TestWithParam<QueryRow> {};

TEST_P(DriveTypeQuery, AnswersAsTheSystemQueryDoes) {
    LinuxDriveSystem drives = Desktop();
    EXPECT_EQ(drives.GetDriveTypeA(GetParam().RootText), GetParam().Type);
}

INSTANTIATE_TEST_SUITE_P(Desktop, DriveTypeQuery,
                         testing::Values(QueryRow{"SystemRoot", "c:\\", DriveType::Fixed},
                                         QueryRow{"UpperCaseLetter", "C:\\", DriveType::Fixed},
                                         QueryRow{"HomePartition", "d:\\", DriveType::Fixed},
                                         QueryRow{"UsbStick", "e:\\", DriveType::Removable},
                                         QueryRow{"Cd", "f:\\", DriveType::CdRom},
                                         QueryRow{"Nfs", "g:\\", DriveType::Remote},
                                         QueryRow{"RamDisk", "h:\\", DriveType::RamDisk},
                                         QueryRow{"AbsentDrive", "q:\\", DriveType::NoRootDir},
                                         QueryRow{"EntryWithLabelIsNoRoot", "c: [SYSTEM]\\",
                                                  DriveType::NoRootDir},
                                         QueryRow{"NoBackslash", "c:", DriveType::NoRootDir},
                                         QueryRow{"ForwardSlash", "c:/", DriveType::NoRootDir},
                                         QueryRow{"Empty", "", DriveType::NoRootDir}),
                         test::RowName());

struct CheckRow {
    const char* Name;
    friend void PrintTo(const CheckRow& row, std::ostream* out) { *out << row.Name; }
    std::string Entry;
    bool Accepted;
};

class DriveCheck : public testing::TestWithParam<CheckRow> {};

TEST_P(DriveCheck, AcceptsFixedNetworkAndRamDrivesOnly) {
    LinuxDriveSystem drives = Desktop();
    EXPECT_EQ(DriveCheckAccepts(drives, GetParam().Entry), GetParam().Accepted);
}

INSTANTIATE_TEST_SUITE_P(Desktop, DriveCheck,
                         testing::Values(CheckRow{"System", "c: [SYSTEM]", true},
                                         CheckRow{"UnlabelledHome", "d: [home]", true},
                                         CheckRow{"UsbStick", "e:", false},
                                         CheckRow{"Cd", "f:", false},
                                         CheckRow{"Nfs", "g: [server:/export/games]", true},
                                         CheckRow{"RamDisk", "h: [ram]", true}),
                         test::RowName());

struct TableRow {
    const char* Name;
    friend void PrintTo(const TableRow& row, std::ostream* out) { *out << row.Name; }
    std::string Mountinfo;
    std::vector<std::string> Entries;
};

class MountTable : public testing::TestWithParam<TableRow> {};

TEST_P(MountTable, GivesTheseDrives) {
    Machine m;
    m.Labels[{8, 5}] = "Spiele Platte";
    m.Removable.insert({8, 33});
    m.Files.insert("/etc/hosts");
    std::vector<std::string> entries;
    for (const Volume& v : VolumesFromMountInfo(GetParam().Mountinfo, m.Facts())) {
        entries.push_back(v.Entry());
    }
    EXPECT_EQ(entries, GetParam().Entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MountTable,
    testing::Values(
        TableRow{"NoRootLineStillHasC", "", {"c: [System]"}},
        TableRow{"UnlabelledRootIsSystem", kRoot, {"c: [System]"}},
        TableRow{"LabelledVolume",
                 std::string(kRoot) + "40 26 8:5 / /data rw - ext4 /dev/sda5 rw\n",
                 {"c: [System]", "d: [Spiele Platte]"}},
        TableRow{"EscapedBlankInMountPoint",
                 std::string(kRoot) + "40 26 8:6 / /mnt/My\\040Games rw - ext4 /dev/sda6 rw\n",
                 {"c: [System]", "d: [My Games]"}},
        TableRow{"RemovableBare",
                 std::string(kRoot) + "40 26 8:33 / /run/media/anna/CARD rw - exfat /dev/sdc1 rw\n",
                 {"c: [System]", "d:"}},
        TableRow{"UdfDvdBare",
                 std::string(kRoot) + "40 26 11:1 / /media/dvd ro - udf /dev/sr1 ro\n",
                 {"c: [System]", "d:"}},
        TableRow{"CifsShareInBrackets",
                 std::string(kRoot) + "40 26 0:50 / /mnt/share rw - cifs //nas/games rw,vers=3.0\n",
                 {"c: [System]", "d: [//nas/games]"}},
        TableRow{"SshfsIsNetwork",
                 std::string(kRoot) +
                     "40 26 0:51 / /home/anna/remote rw - fuse.sshfs anna@host:/srv rw\n",
                 {"c: [System]", "d: [anna@host:/srv]"}},
        TableRow{"RamDiskOnlyUnderMediaFolders",
                 std::string(kRoot) + "40 26 0:52 / /tmp rw - tmpfs tmpfs rw\n" +
                     "41 26 0:53 / /media/ramdisk rw - ramfs ramfs rw\n" +
                     "42 26 0:54 / /mnt rw - tmpfs tmpfs rw\n",
                 {"c: [System]", "d: [ramdisk]"}},
        TableRow{"SystemFoldersLeftOut",
                 std::string(kRoot) + "40 26 8:1 / /boot rw - ext4 /dev/sda1 rw\n" +
                     "41 26 0:55 / /run/lock rw - tmpfs tmpfs rw\n" +
                     "42 26 0:56 / /dev/hugepages rw - hugetlbfs hugetlbfs rw\n" +
                     "43 26 0:57 / /sys/kernel/debug rw - debugfs debugfs rw\n" +
                     "44 26 0:58 / /proc/fs/nfsd rw - nfsd nfsd rw\n" +
                     "45 26 0:59 / /misc rw - autofs systemd-1 rw\n" +
                     "46 26 8:7 / /bootstrap rw - ext4 /dev/sda7 rw\n",
                 {"c: [System]", "d: [bootstrap]"}},
        TableRow{"BindMountedFileLeftOut",
                 std::string(kRoot) + "40 26 254:0 /etc/hosts /etc/hosts rw - ext4 /dev/vda rw\n",
                 {"c: [System]"}},
        TableRow{"LaterMountOnSameFolderHidesEarlier",
                 std::string(kRoot) + "40 26 8:6 / /data rw - ext4 /dev/sda6 rw\n" +
                     "41 26 8:5 / /data rw - ext4 /dev/sda5 rw\n",
                 {"c: [System]", "d: [Spiele Platte]"}},
        TableRow{"OverlayRootIsStillSystem",
                 "60 50 0:40 / / rw - overlay overlay rw,lowerdir=/a\n",
                 {"c: [System]"}},
        TableRow{"BrokenLinesSkipped",
                 std::string(kRoot) + "garbage\n40 26 8:5 / /data rw ext4 /dev/sda5 rw\n" +
                     "41 26 x:y / /data2 rw - ext4 /dev/sda8 rw\n",
                 {"c: [System]"}}),
    test::RowName());

TEST(LinuxDrives, LettersStopAtZ) {
    std::string table = kRoot;
    for (int i = 0; i < 30; ++i) {
        table += "40 26 9:" + std::to_string(i) + " / /mnt/v" + std::to_string(i) +
                 " rw - ext4 /dev/md" + std::to_string(i) + " rw\n";
    }
    const std::vector<Volume> volumes = VolumesFromMountInfo(table, Machine().Facts());
    ASSERT_EQ(volumes.size(), 24u); // c: to z:
    EXPECT_EQ(volumes.back().Entry(), "z: [v22]");
}

struct CurrentRow {
    const char* Name;
    friend void PrintTo(const CurrentRow& row, std::ostream* out) { *out << row.Name; }
    std::string CurrentFolder;
    std::string CurrentDrive;
    std::string Asked;
    std::string FolderOfAsked;
};

class CurrentFolder : public testing::TestWithParam<CurrentRow> {};

TEST_P(CurrentFolder, OfEachDrive) {
    const CurrentRow& row = GetParam();
    LinuxDriveSystem drives = Desktop(row.CurrentFolder);
    EXPECT_EQ(drives.CurrentDrive(), row.CurrentDrive);
    EXPECT_EQ(drives.CurrentFolderOf(row.Asked), std::filesystem::path(row.FolderOfAsked));
}

INSTANTIATE_TEST_SUITE_P(
    Desktop, CurrentFolder,
    testing::Values(
        CurrentRow{"OnHomeAskHome", "/home/anna/games", "d: [home]", "d: [home]",
                   "/home/anna/games"},
        CurrentRow{"OnHomeAskSystem", "/home/anna/games", "d: [home]", "C:", "/"},
        CurrentRow{"OnSystemAskSystem", "/usr/share", "c: [SYSTEM]", "c: [SYSTEM]", "/usr/share"},
        CurrentRow{"OnSystemAskNfs", "/usr/share", "c: [SYSTEM]", "G:", "/mnt/nfs"},
        CurrentRow{"PrefixIsNoMountPoint", "/homework", "c: [SYSTEM]", "d", "/home"},
        CurrentRow{"OnStickAskStick", "/media/anna/STICK/x", "e:", "e:", "/media/anna/STICK/x"},
        CurrentRow{"AbsentDrive", "/usr", "c: [SYSTEM]", "q:", ""}),
    test::RowName());

TEST(LinuxDrives, ParsesOptionalFieldsAndEscapes) {
    const std::vector<MountEntry> entries = ParseMountInfo(
        "36 35 98:0 /mnt1 /mnt/a\\134b rw,noatime master:1 shared:2 - ext3 /dev/root rw\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Major, 98u);
    EXPECT_EQ(entries[0].Minor, 0u);
    EXPECT_EQ(entries[0].Root, "/mnt1");
    EXPECT_EQ(entries[0].MountPoint, "/mnt/a\\b");
    EXPECT_EQ(entries[0].FsType, "ext3");
    EXPECT_EQ(entries[0].Source, "/dev/root");
}

struct DriveTextRow {
    const char* Name;
    friend void PrintTo(const DriveTextRow& row, std::ostream* out) { *out << row.Name; }
    std::string Text;
    bool IsDrive;
    char Letter;
};

class DriveText : public testing::TestWithParam<DriveTextRow> {};

TEST_P(DriveText, TellsDrivesFromFolders) {
    EXPECT_EQ(IsDriveText(GetParam().Text), GetParam().IsDrive);
    EXPECT_EQ(DriveLetterOf(GetParam().Text), GetParam().Letter);
}

INSTANTIATE_TEST_SUITE_P(Texts, DriveText,
                         testing::Values(DriveTextRow{"Entry", "c: [SYSTEM]", true, 'c'},
                                         DriveTextRow{"UpperBare", "C:", true, 'c'},
                                         DriveTextRow{"WindowsFolder", "C:\\Games", false, 'c'},
                                         DriveTextRow{"LinuxFolder", "/home", false, '\0'},
                                         DriveTextRow{"LetterOnly", "d", false, 'd'},
                                         DriveTextRow{"Empty", "", false, '\0'},
                                         DriveTextRow{"Digit", "1:", false, '\0'}),
                         test::RowName());

TEST(DriveQuery, AppendsBackslashInWindows1252) {
    EXPECT_EQ(DriveQueryText("c: [SYSTEM]"), "c: [SYSTEM]\\");
    EXPECT_EQ(DriveQueryText("d: [Spiele Ä]"), "d: [Spiele \xC4]\\");
}
