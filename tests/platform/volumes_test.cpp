#include "platform/volumes.h"

#include <gtest/gtest.h>

using namespace zx::platform;

namespace {

// A mount table as the kernel shows it (id parent dev root mountpoint opts - fstype source superopts).
const char* kMountInfo =
    "21 27 0:20 / /proc rw,relatime - proc proc rw\n"
    "22 27 0:21 / /sys rw,relatime - sysfs sysfs rw\n"
    "23 27 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
    "25 23 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
    "26 23 0:24 / /dev/pts rw - devpts devpts rw\n"
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "30 27 8:17 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
    "31 27 0:40 / /mnt/nas rw - nfs4 server:/export rw\n"
    "32 27 8:1 / /home rw - ext4 /dev/sda1 rw\n"
    "33 27 11:0 / /mnt/cdrom ro - iso9660 /dev/sr0 ro\n"
    "34 22 0:30 / /sys/fs/cgroup rw - cgroup2 cgroup rw\n"
    "35 27 0:50 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "36 27 0:51 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "37 27 8:2 / /data rw - ext4 /dev/sda2 rw\n";

DeviceFacts fakeFacts()
{
    DeviceFacts f;
    f.removable = [](const QString& d) { return d == QLatin1String("/dev/sdb1"); };
    f.optical = [](const QString& d) { return d.startsWith(QLatin1String("/dev/sr")); };
    f.label = [](const QString& d) { return d == QLatin1String("/dev/sda2") ? QStringLiteral("DATA") : QString(); };
    return f;
}

}  // namespace

TEST(Volumes, ParsesMountInfoAndDecodesEscapes)
{
    const auto mounts = parseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 14);
    EXPECT_EQ(mounts[6].mountPoint, QStringLiteral("/media/usb stick"));
    EXPECT_EQ(mounts[6].fsType, QStringLiteral("vfat"));
    EXPECT_EQ(mounts[7].source, QStringLiteral("server:/export"));
}

TEST(Volumes, LettersFollowFixedNetworkRemovableOrder)
{
    const auto vols = volumesFromMounts(parseMountInfo(kMountInfo), fakeFacts());
    QStringList got;
    for (const Volume& v : vols)
        got << QString(v.letter) + QLatin1Char('=') + v.root;
    // "/" first, then fixed and RAM by mount point, network, then removable and optical.
    EXPECT_EQ(got, (QStringList{"A=/", "B=/data/", "C=/dev/shm/", "D=/home/", "E=/mnt/nas/",
                                "F=/media/usb stick/", "G=/mnt/cdrom/"}));
    EXPECT_EQ(vols[1].label, QStringLiteral("DATA"));
    EXPECT_EQ(vols[2].type, DriveType::Ram);
    EXPECT_EQ(vols[4].type, DriveType::Remote);
    EXPECT_EQ(vols[5].type, DriveType::Removable);
    EXPECT_EQ(vols[6].type, DriveType::Optical);
}

TEST(Volumes, PathBelongsToLongestMountPoint)
{
    const auto vols = volumesFromMounts(parseMountInfo(kMountInfo), fakeFacts());
    struct Case {
        const char* path;
        char letter;
    } cases[] = {{"/", 'A'},         {"/etc/passwd", 'A'}, {"/home", 'D'},   {"/home/u/x", 'D'},
                 {"/homework", 'A'}, {"/data/", 'B'},      {"/mnt/nas/a", 'E'}, {"/mnt", 'A'}};
    for (const Case& c : cases) {
        const Volume* v = volumeOfPath(vols, QString::fromLatin1(c.path));
        ASSERT_NE(v, nullptr) << c.path;
        EXPECT_EQ(v->letter, QLatin1Char(c.letter)) << c.path;
    }
    EXPECT_EQ(volumeOfLetter(vols, QLatin1Char('d'))->root, QStringLiteral("/home/"));
    EXPECT_EQ(volumeOfLetter(vols, QLatin1Char('Z')), nullptr);
}

TEST(Volumes, LaterMountHidesEarlierOnSamePoint)
{
    const QByteArray info = "1 0 0:1 / / rw - ext4 /dev/a rw\n"
                            "2 1 0:2 / /x rw - ext4 /dev/b rw\n"
                            "3 1 0:3 / /x rw - nfs srv:/y rw\n";
    const auto vols = volumesFromMounts(parseMountInfo(info), fakeFacts());
    ASSERT_EQ(vols.size(), 2);
    EXPECT_EQ(vols[1].type, DriveType::Remote);
}

TEST(Volumes, TabCodesAndHintWords)
{
    EXPECT_EQ(driveTypeCode(DriveType::Removable), QLatin1Char('f'));
    EXPECT_EQ(driveTypeCode(DriveType::Fixed), QLatin1Char('h'));
    EXPECT_EQ(driveTypeCode(DriveType::Remote), QLatin1Char('m'));
    EXPECT_EQ(driveTypeCode(DriveType::Optical), QLatin1Char('c'));
    EXPECT_EQ(driveTypeCode(DriveType::Ram), QLatin1Char('r'));
    EXPECT_EQ(driveTypeHintWord(DriveType::Optical), QStringLiteral("(CD/DVD Drive)"));
}

TEST(Volumes, ThisMachineHasRootAsA)
{
    const auto vols = readVolumes();
    ASSERT_FALSE(vols.isEmpty());
    EXPECT_EQ(vols[0].root, QStringLiteral("/"));
    EXPECT_EQ(vols[0].letter, QLatin1Char('A'));
}
