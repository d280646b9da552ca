#pragma once
// A FileIO that injects faults: failing or short reads, a disk that fills
// up, failing writes, and a hook after each write.

#include "fileops/fileio.h"

#include <QFile>
#include <QMap>
#include <sys/stat.h>
#include <cerrno>
#include <functional>

namespace zx::test {

class FaultyIO : public FileIO {
public:
    FaultyIO() { copyRangeEnabled = false; }

    // Reads: once `readFailAt` bytes of a file have been read, the next
    // `readFailures` reads fail (-1 with readErrno, or 0 bytes when
    // shortInsteadOfError). `maxRead` caps every read.
    qint64 readFailAt = -1;
    int readFailures = 0;
    int readErrno = EIO;
    bool shortInsteadOfError = false;
    size_t maxRead = 0;
    // Writes: at most `diskSpace` bytes fit in all; a write beyond fails
    // with ENOSPC after writing what fits. `writeFailAt`: a write reaching
    // that offset of a file fails with writeErrno.
    qint64 diskSpace = -1;
    qint64 writeFailAt = -1;
    int writeErrno = EIO;
    std::function<void(qint64 writtenTotal)> afterWrite;

    int readCalls = 0, failedReads = 0;
    qint64 written = 0;

    int openRead(const QString& path) override
    {
        const int fd = FileIO::openRead(path);
        if (fd >= 0)
            offsets_[fd] = 0;
        return fd;
    }
    int createWrite(const QString& path, mode_t mode, bool createNew) override
    {
        const int fd = FileIO::createWrite(path, mode, createNew);
        if (fd >= 0)
            offsets_[fd] = 0;
        return fd;
    }
    ssize_t read(int fd, void* buf, size_t n) override
    {
        ++readCalls;
        if (readFailAt >= 0 && offsets_.value(fd) >= readFailAt && readFailures > 0) {
            --readFailures;
            ++failedReads;
            if (shortInsteadOfError)
                return 0;
            errno = readErrno;
            return -1;
        }
        if (maxRead && n > maxRead)
            n = maxRead;
        const ssize_t r = FileIO::read(fd, buf, n);
        if (r > 0)
            offsets_[fd] += r;
        return r;
    }
    ssize_t write(int fd, const void* buf, size_t n) override
    {
        const qint64 off = offsets_.value(fd);
        if (writeFailAt >= 0 && off + qint64(n) > writeFailAt) {
            errno = writeErrno;
            return -1;
        }
        if (diskSpace >= 0 && written + qint64(n) > diskSpace) {
            const qint64 room = diskSpace - written;
            if (room <= 0) {
                errno = ENOSPC;
                return -1;
            }
            n = size_t(room);
        }
        const ssize_t w = FileIO::write(fd, buf, n);
        if (w > 0) {
            offsets_[fd] += w;
            written += w;
        }
        if (afterWrite)
            afterWrite(written);
        return w;
    }
    // Removing a file frees its space on the pretend disk.
    int unlink(const QString& path) override
    {
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) == 0)
            written -= st.st_size;
        return FileIO::unlink(path);
    }
    int close(int fd) override
    {
        offsets_.remove(fd);
        return FileIO::close(fd);
    }

private:
    QMap<int, qint64> offsets_;
};

}  // namespace zx::test
