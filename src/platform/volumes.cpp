#include "platform/volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <sys/statvfs.h>

namespace zx::platform {

namespace {

QString unescapeMount(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray oct = field.mid(i + 1, 3);
            bool ok = oct.size() == 3;
            int v = ok ? oct.toInt(&ok, 8) : 0;
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

bool isPseudoFs(const QString& fs)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),       QStringLiteral("sysfs"),      QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),    QStringLiteral("devpts"),     QStringLiteral("devtmpfs"),
        QStringLiteral("mqueue"),     QStringLiteral("debugfs"),    QStringLiteral("tracefs"),
        QStringLiteral("securityfs"), QStringLiteral("pstore"),     QStringLiteral("bpf"),
        QStringLiteral("configfs"),   QStringLiteral("fusectl"),    QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"), QStringLiteral("efivarfs"),
        QStringLiteral("squashfs"),   QStringLiteral("nsfs"),       QStringLiteral("rpc_pipefs"),
        QStringLiteral("fuse.gvfsd-fuse"), QStringLiteral("fuse.portal"), QStringLiteral("selinuxfs"),
        QStringLiteral("ramfs_internal"), QStringLiteral("tmpfs_internal")};
    return pseudo.contains(fs);
}

bool isRemoteFs(const QString& fs)
{
    static const QSet<QString> remote = {
        QStringLiteral("nfs"),  QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"), QStringLiteral("smbfs"),      QStringLiteral("fuse.sshfs"),
        QStringLiteral("sshfs"), QStringLiteral("9p"),        QStringLiteral("afs"),
        QStringLiteral("ncpfs"), QStringLiteral("ceph"),      QStringLiteral("glusterfs"),
        QStringLiteral("fuse.rclone"), QStringLiteral("davfs"), QStringLiteral("fuse.davfs2"),
        QStringLiteral("virtiofs")};
    return remote.contains(fs);
}

// System folders whose mounts are plumbing, not places a user keeps files.
bool isSystemMountPoint(const QString& mp)
{
    auto under = [&mp](const char* dir) {
        const QString d = QLatin1String(dir);
        return mp == d || mp.startsWith(d + QLatin1Char('/'));
    };
    if (under("/proc") || under("/sys"))
        return true;
    if (under("/dev"))
        return !(mp == QLatin1String("/dev/shm"));
    if (under("/run"))
        return !(under("/run/media"));
    if (under("/snap") || under("/var/lib/docker") || under("/var/snap"))
        return true;
    return false;
}

int groupOf(DriveType t)
{
    switch (t) {
    case DriveType::Fixed:
    case DriveType::Ram:
        return 0;
    case DriveType::Remote:
        return 1;
    default:
        return 2;
    }
}

QString blockName(const QString& device)
{
    // /dev/sdb1 -> sdb1; /dev/mapper/x stays unknown.
    if (!device.startsWith(QLatin1String("/dev/")))
        return QString();
    QFileInfo fi(device);
    return QFileInfo(fi.canonicalFilePath().isEmpty() ? device : fi.canonicalFilePath()).fileName();
}

}  // namespace

QList<MountEntry> parseMountInfo(const QByteArray& text)
{
    QList<MountEntry> out;
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const QList<QByteArray> f = line.split(' ');
        // id parent major:minor root mountpoint options [optional...] - fstype source superopts
        const int dash = f.indexOf("-");
        if (f.size() < 5 || dash < 0 || dash + 2 >= f.size())
            continue;
        MountEntry e;
        e.mountPoint = unescapeMount(f[4]);
        e.fsType = QString::fromLatin1(f[dash + 1]);
        e.source = unescapeMount(f[dash + 2]);
        out.append(e);
    }
    return out;
}

DeviceFacts systemDeviceFacts()
{
    DeviceFacts facts;
    facts.removable = [](const QString& device) {
        QString name = blockName(device);
        if (name.isEmpty())
            return false;
        // A partition's flag lives on its disk: /sys/class/block/sdb1/../removable
        for (const QString& p : {QStringLiteral("/sys/class/block/%1/removable").arg(name),
                                 QStringLiteral("/sys/class/block/%1/../removable").arg(name)}) {
            QFile f(p);
            if (f.open(QIODevice::ReadOnly))
                return f.readAll().trimmed() == "1";
        }
        return false;
    };
    facts.optical = [](const QString& device) { return blockName(device).startsWith(QLatin1String("sr")); };
    facts.label = [](const QString& device) {
        if (!device.startsWith(QLatin1String("/dev/")))
            return QString();
        const QString target = QFileInfo(device).canonicalFilePath();
        QDir byLabel(QStringLiteral("/dev/disk/by-label"));
        const auto entries = byLabel.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        for (const QFileInfo& fi : entries) {
            if (fi.canonicalFilePath() == target) {
                // udev escapes blanks and slashes as \x20 and \x2f.
                QString name = fi.fileName();
                QString out;
                for (int i = 0; i < name.size(); ++i) {
                    if (name[i] == QLatin1Char('\\') && i + 3 < name.size() && name[i + 1] == QLatin1Char('x')) {
                        bool ok = false;
                        const int v = name.mid(i + 2, 2).toInt(&ok, 16);
                        if (ok) {
                            out += QChar(v);
                            i += 3;
                            continue;
                        }
                    }
                    out += name[i];
                }
                return out;
            }
        }
        return QString();
    };
    return facts;
}

QList<Volume> volumesFromMounts(const QList<MountEntry>& mounts, const DeviceFacts& facts)
{
    // A later mount on the same point hides an earlier one.
    QList<MountEntry> live;
    for (const MountEntry& m : mounts) {
        auto it = std::find_if(live.begin(), live.end(),
                               [&m](const MountEntry& e) { return e.mountPoint == m.mountPoint; });
        if (it != live.end())
            live.erase(it);
        live.append(m);
    }

    QList<Volume> vols;
    for (const MountEntry& m : live) {
        if (m.mountPoint.isEmpty() || !m.mountPoint.startsWith(QLatin1Char('/')))
            continue;
        if (m.mountPoint != QLatin1String("/") &&
            (isPseudoFs(m.fsType) || isSystemMountPoint(m.mountPoint)))
            continue;
        Volume v;
        v.root = m.mountPoint.endsWith(QLatin1Char('/')) ? m.mountPoint : m.mountPoint + QLatin1Char('/');
        v.device = m.source;
        v.fsType = m.fsType;
        const bool underMedia = m.mountPoint.startsWith(QLatin1String("/media/")) ||
                                m.mountPoint.startsWith(QLatin1String("/run/media/"));
        if (isRemoteFs(m.fsType) || m.fsType.startsWith(QLatin1String("nfs")))
            v.type = DriveType::Remote;
        else if (m.fsType == QLatin1String("iso9660") || m.fsType == QLatin1String("udf") ||
                 (facts.optical && facts.optical(m.source)))
            v.type = DriveType::Optical;
        else if (m.fsType == QLatin1String("tmpfs") || m.fsType == QLatin1String("ramfs"))
            v.type = DriveType::Ram;
        else if (underMedia || (facts.removable && facts.removable(m.source)))
            v.type = DriveType::Removable;
        else
            v.type = DriveType::Fixed;
        if (facts.label)
            v.label = facts.label(m.source);
        vols.append(v);
    }
    std::stable_sort(vols.begin(), vols.end(), [](const Volume& a, const Volume& b) {
        const bool ar = a.root == QLatin1String("/"), br = b.root == QLatin1String("/");
        if (ar != br)
            return ar;
        const int ga = groupOf(a.type), gb = groupOf(b.type);
        if (ga != gb)
            return ga < gb;
        return a.root < b.root;
    });
    // Twenty-six letters; further volumes are not shown.
    if (vols.size() > 26)
        vols.resize(26);
    for (int i = 0; i < vols.size(); ++i)
        vols[i].letter = QChar(char16_t(u'A' + i));
    return vols;
}

QList<Volume> readVolumes()
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    QByteArray text;
    if (f.open(QIODevice::ReadOnly))
        text = f.readAll();
    QList<Volume> vols = volumesFromMounts(parseMountInfo(text), systemDeviceFacts());
    if (vols.isEmpty()) {
        Volume root;
        root.letter = QLatin1Char('A');
        root.root = QStringLiteral("/");
        root.fsType = QStringLiteral("unknown");
        vols.append(root);
    }
    return vols;
}

const Volume* volumeOfPath(const QList<Volume>& volumes, const QString& path)
{
    const Volume* best = nullptr;
    for (const Volume& v : volumes) {
        const QString mp = v.root;   // ends in "/"
        const bool contains = path.startsWith(mp) || path + QLatin1Char('/') == mp;
        if (contains && (!best || v.root.size() > best->root.size()))
            best = &v;
    }
    return best;
}

const Volume* volumeOfLetter(const QList<Volume>& volumes, QChar letter)
{
    const QChar up = letter.toUpper();
    for (const Volume& v : volumes)
        if (v.letter == up)
            return &v;
    return nullptr;
}

QChar driveTypeCode(DriveType t)
{
    switch (t) {
    case DriveType::Removable: return QLatin1Char('f');
    case DriveType::Fixed: return QLatin1Char('h');
    case DriveType::Remote: return QLatin1Char('m');
    case DriveType::Optical: return QLatin1Char('c');
    case DriveType::Ram: return QLatin1Char('r');
    default: return QLatin1Char('h');
    }
}

QString driveTypeHintWord(DriveType t)
{
    switch (t) {
    case DriveType::Removable: return QStringLiteral("(Removable)");
    case DriveType::Fixed: return QStringLiteral("(Fixed)");
    case DriveType::Remote: return QStringLiteral("(Remote)");
    case DriveType::Optical: return QStringLiteral("(CD/DVD Drive)");
    case DriveType::Ram: return QStringLiteral("(Ramdisk)");
    default: return QString();
    }
}

bool diskSpace(const QString& path, qint64* freeBytes, qint64* totalBytes)
{
    struct statvfs s {};
    if (statvfs(QFile::encodeName(path).constData(), &s) != 0)
        return false;
    if (freeBytes)
        *freeBytes = qint64(s.f_bavail) * qint64(s.f_frsize);
    if (totalBytes)
        *totalBytes = qint64(s.f_blocks) * qint64(s.f_frsize);
    return true;
}

}  // namespace zx::platform
