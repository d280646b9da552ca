#pragma once
// The seam around the file I/O of the copy engine.
//
// The engine reads, writes, creates and removes through a FileIO object. The
// program uses PosixFileIO; tests derive from it to make reads fail, the disk
// fill up or writes break at a chosen point.

#include <QString>
#include <sys/types.h>

namespace zx {

class FileIO {
public:
    virtual ~FileIO() = default;

    // Opens for reading; -1 with errno set on failure.
    virtual int openRead(const QString& path);
    // Creates (truncating) for writing with the given permission bits;
    // with createNew, fails with EEXIST when the name is taken.
    virtual int createWrite(const QString& path, mode_t mode, bool createNew);
    // read(2) / write(2); -1 with errno set on failure.
    virtual ssize_t read(int fd, void* buf, size_t n);
    virtual ssize_t write(int fd, const void* buf, size_t n);
    // Moves up to n bytes from in to out inside the kernel (copy_file_range,
    // which also gives reflinks where the file system has them). Returns -1
    // with errno set when it is not possible; the engine then reads and
    // writes itself.
    virtual ssize_t copyRange(int in, int out, size_t n);
    // Reserves room for size bytes in a new file without changing its
    // length, so that the file system lays the copy out in one go instead of
    // chunk by chunk. Returns -1 with errno set where the file system cannot
    // (the copy goes on without it).
    virtual int preallocate(int fd, qint64 size);
    virtual int close(int fd);
    virtual int unlink(const QString& path);
    // Whether copyRange may be tried at all.
    virtual bool useCopyRange() const { return copyRangeEnabled; }

    bool copyRangeEnabled = true;
};

// The real thing.
class PosixFileIO : public FileIO {};

// The process-wide default used when a caller gives none.
FileIO* defaultFileIO();

// Local 8-bit (file system) form of a path.
QByteArray fsPath(const QString& path);
// The system's description of errno.
QString systemReason(int err);

}  // namespace zx
