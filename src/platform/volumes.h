#pragma once
// Volumes: every mounted real file system, named by a drive letter.
//
// Order: fixed volumes first ("/" always first, so it is A), then network,
// then removable and optical, each group by mount point. A volume's root is
// its mount point and ends in "/". The volume of a path is the one with the
// longest mount point that contains it.

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <functional>

namespace zx::platform {

// The drive types, numbered as the tab codes expect.
enum class DriveType { Unknown = 0, Removable = 2, Fixed = 3, Remote = 4, Optical = 5, Ram = 6 };

struct Volume {
    QChar letter;      // 'A', 'B', ...
    QString root;      // mount point, ending in "/"
    QString device;    // mount source, e.g. /dev/sda1 or server:/export
    QString fsType;    // e.g. ext4, nfs, tmpfs
    QString label;     // file system label, may be empty
    DriveType type = DriveType::Fixed;
};

// One line of /proc/self/mountinfo, decoded.
struct MountEntry {
    QString mountPoint;
    QString fsType;
    QString source;
};

// Parses mountinfo text (octal escapes such as \040 decoded).
QList<MountEntry> parseMountInfo(const QByteArray& text);

// Facts about block devices that the mount table does not carry; the real
// implementation reads sysfs and /dev/disk/by-label, tests give their own.
struct DeviceFacts {
    std::function<bool(const QString& device)> removable;   // sysfs "removable" flag
    std::function<bool(const QString& device)> optical;     // sr* devices
    std::function<QString(const QString& device)> label;     // file system label
};
DeviceFacts systemDeviceFacts();

// Turns a mount table into the lettered volume list.
QList<Volume> volumesFromMounts(const QList<MountEntry>& mounts, const DeviceFacts& facts);

// The machine's volumes now.
QList<Volume> readVolumes();

// The volume holding path (longest containing mount point), or nullptr.
const Volume* volumeOfPath(const QList<Volume>& volumes, const QString& path);
// The volume with this letter (case-insensitive), or nullptr.
const Volume* volumeOfLetter(const QList<Volume>& volumes, QChar letter);

// Type code of a drive tab ("f", "h", "m", "c", "r") and hint word.
QChar driveTypeCode(DriveType t);
QString driveTypeHintWord(DriveType t);

// Free and total bytes of the file system holding path; false on failure.
bool diskSpace(const QString& path, qint64* freeBytes, qint64* totalBytes);

}  // namespace zx::platform
