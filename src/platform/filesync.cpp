#include "platform/filesync.h"

#include <QFile>
#include <QFileDevice>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zx::platform {

bool syncFile(QFileDevice& file)
{
    if (!file.isOpen() || !file.flush())
        return false;
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}

bool syncDirectory(const QString& dir)
{
    const QByteArray d = QFile::encodeName(dir.isEmpty() ? QStringLiteral(".") : dir);
    const int fd = ::open(d.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

int allocationUnitSize(const QString& path)
{
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(path).constData(), &st) != 0)
        return 4096;
    const unsigned long unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    if (unit == 0 || unit > (1u << 24))
        return 4096;
    return int(unit);
}

int linkCount(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_nlink);
}

}  // namespace zx::platform
