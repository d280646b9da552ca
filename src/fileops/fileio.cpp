#include "fileops/fileio.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zx {

QByteArray fsPath(const QString& path)
{
    return QFile::encodeName(path);
}

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

int FileIO::openRead(const QString& path)
{
    int fd;
    do
        fd = ::open(fsPath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int FileIO::createWrite(const QString& path, mode_t mode, bool createNew)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (createNew ? O_EXCL : O_TRUNC);
    int fd;
    do
        fd = ::open(fsPath(path).constData(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t FileIO::read(int fd, void* buf, size_t n)
{
    ssize_t r;
    do
        r = ::read(fd, buf, n);
    while (r < 0 && errno == EINTR);
    return r;
}

ssize_t FileIO::write(int fd, const void* buf, size_t n)
{
    ssize_t r;
    do
        r = ::write(fd, buf, n);
    while (r < 0 && errno == EINTR);
    return r;
}

ssize_t FileIO::copyRange(int in, int out, size_t n)
{
    ssize_t r;
    do
        r = ::copy_file_range(in, nullptr, out, nullptr, n, 0);
    while (r < 0 && errno == EINTR);
    return r;
}

int FileIO::preallocate(int fd, qint64 size)
{
    int r;
    do
        r = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size));
    while (r < 0 && errno == EINTR);
    return r;
}

int FileIO::close(int fd)
{
    return ::close(fd);
}

int FileIO::unlink(const QString& path)
{
    return ::unlink(fsPath(path).constData());
}

FileIO* defaultFileIO()
{
    static PosixFileIO io;
    return &io;
}

}  // namespace zx
