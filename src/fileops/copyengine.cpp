#include "fileops/copyengine.h"

#include "platform/paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

namespace {

QString baseName(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

bool lstatPath(const QString& path, struct stat* st)
{
    return ::lstat(fsPath(path).constData(), st) == 0;
}

bool statPath(const QString& path, struct stat* st)
{
    return ::stat(fsPath(path).constData(), st) == 0;
}

// The names in a directory, sorted, without "." and "..".
QStringList listNames(const QString& dir, int* err)
{
    QStringList names;
    *err = 0;
    DIR* d = ::opendir(fsPath(dir).constData());
    if (!d) {
        *err = errno;
        return names;
    }
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        names << QFile::decodeName(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

void setTimes(const QString& path, const struct stat& st, bool noFollow)
{
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, fsPath(path).constData(), times, noFollow ? AT_SYMLINK_NOFOLLOW : 0);
}

QString canonicalDir(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(path) : c;
}

}  // namespace

quint32 dosDateTime(const QDateTime& t)
{
    const QDateTime l = t.toLocalTime();
    const QDate d = l.date();
    const QTime tm = l.time();
    if (d.year() < 1980)
        return (0u << 25) | (1u << 21) | (1u << 16);
    return (quint32(d.year() - 1980) << 25) | (quint32(d.month()) << 21) | (quint32(d.day()) << 16) |
           (quint32(tm.hour()) << 11) | (quint32(tm.minute()) << 5) | quint32(tm.second() / 2);
}

bool destisolder(const QString& src, const QString& dest)
{
    // Both must be readable, as the comparison opens them.
    const int a = ::open(fsPath(src).constData(), O_RDONLY | O_CLOEXEC);
    if (a < 0)
        return false;
    const int b = ::open(fsPath(dest).constData(), O_RDONLY | O_CLOEXEC);
    if (b < 0) {
        ::close(a);
        return false;
    }
    struct stat sa, sb;
    const bool ok = ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0;
    ::close(a);
    ::close(b);
    if (!ok)
        return false;
    const auto when = [](const struct stat& s) {
        return QDateTime::fromMSecsSinceEpoch(qint64(s.st_mtim.tv_sec) * 1000 + s.st_mtim.tv_nsec / 1000000,
                                              Qt::UTC);
    };
    // Compared unsigned, so that dates from 2044 on still compare in order.
    return dosDateTime(when(sb)) < dosDateTime(when(sa));
}

Transfer::Transfer(UserInterface& ui, ProgressState& progress, FileIO* io)
    : ui_(ui), progress_(progress), io_(io ? io : defaultFileIO())
{
}

void Transfer::message(const QString& text, MsgKind kind)
{
    runOnUiThread([&] { ui_.message(text, kind, QString()); });
}

bool Transfer::confirmUi(const QString& title, const QString& instruction, const QString& content)
{
    bool r = false;
    runOnUiThread([&] { r = ui_.confirm(title, instruction, content); });
    return r;
}

int Transfer::askUi(Question& q)
{
    int r = -1;
    runOnUiThread([&] { r = ui_.ask(q); });
    return r;
}

bool Transfer::okCancel(const QString& id, const QString& text, MsgKind kind)
{
    Question q;
    q.id = id;
    q.title = kind == MsgKind::Warning ? QStringLiteral("Warning") : QStringLiteral("Error");
    q.text = text;
    q.buttons = {QStringLiteral("OK"), QStringLiteral("Cancel")};
    q.defaultButton = 0;
    q.cancelButton = 1;
    return askUi(q) == 1;
}

bool Transfer::stopping() const
{
    return stop_ || progress_.cancelled();
}

qint64 Transfer::totalSize(const QStringList& paths)
{
    qint64 total = 0;
    for (const QString& p : paths) {
        struct stat st;
        if (!lstatPath(p, &st))
            continue;
        if (S_ISREG(st.st_mode)) {
            total += st.st_size;
        } else if (S_ISDIR(st.st_mode)) {
            int err;
            QStringList children;
            for (const QString& n : listNames(p, &err))
                children << platform::makefullname(p, n);
            total += totalSize(children);
        }
    }
    return total;
}

Transfer::Decision Transfer::askoverwrite(const QString& src, const QString& dest, bool* exists)
{
    struct stat st;
    *exists = lstatPath(dest, &st);
    if (overwrite.replaceAll)
        return Decision::Copy;
    if (!*exists)
        return Decision::Copy;
    if (!overwrite.skipAll && !overwrite.replaceOlder) {
        overwrite.lastAnswer = QChar();
        Question q;
        q.id = kAskCopyOptions;
        q.title = QStringLiteral("Copy Options");
        q.text = QStringLiteral("A file of the same name already exists:\r\"") + baseName(dest) +
                 QStringLiteral("\"");
        q.buttons = {QStringLiteral("&R"), QStringLiteral("&U"), QStringLiteral("&T"), QStringLiteral("&S"),
                     QStringLiteral("&F"), QStringLiteral("&Cancel")};
        q.defaultButton = OwCancel;
        q.cancelButton = OwCancel;
        int b = OwCancel;
        runOnUiThread([&] {
            if (view)
                view->hideProgress();
            b = ui_.ask(q);
            if (view)
                view->showProgress(&progress_, &ui_);
        });
        static const char letters[] = "RUTSF";
        if (b >= OwR && b <= OwF)
            overwrite.lastAnswer = QLatin1Char(letters[b]);
        if (b == OwR)
            overwrite.replaceAll = true;
        else if (b == OwU)
            overwrite.replaceOlder = true;
        else if (b == OwS)
            overwrite.skipAll = true;
    }
    const QChar a = overwrite.lastAnswer;
    if (overwrite.skipAll && a != QLatin1Char('R') && a != QLatin1Char('T'))
        return Decision::Skip;
    if (a.isNull())
        return Decision::EndTransfer;
    if (a == QLatin1Char('F') || a == QLatin1Char('S'))
        return Decision::Skip;
    if (a == QLatin1Char('U'))
        return destisolder(src, dest) ? Decision::Copy : Decision::Skip;
    return Decision::Copy;   // R or T
}

void Transfer::reportChunk(qint64 n, qint64 nsecs, bool read)
{
    if (nsecs > 0) {
        const double secs = double(nsecs) / 1e9;
        const int rate = int(double(n) / 1048576.0 / secs);
        (read ? progress_.readRate : progress_.writeRate).store(rate);
    }
    progress_.fileDone.fetch_add(n);
    progress_.totalDone.fetch_add(n);
}

bool Transfer::QCopyFile(const QString& src, const QString& destination, bool destExists, qint64 srcSize,
                         bool* ok)
{
    // 1. A directory as destination gets the source's name.
    QString dest = QDir::isAbsolutePath(destination) ? destination : QDir::current().absoluteFilePath(destination);
    struct stat dst;
    if (statPath(dest, &dst) && S_ISDIR(dst.st_mode))
        dest = platform::makefullname(dest, baseName(src));
    return copyFileTo(src, dest, destExists, srcSize, ok, false);
}

bool Transfer::copyFileTo(const QString& src, const QString& dest, bool destExists, qint64 srcSize, bool* ok,
                          bool createNew)
{
    if (ok)
        *ok = false;
    createClash_ = false;
    // 2. A read-only destination is replaced only when the user agrees.
    struct stat existing;
    if (destExists && lstatPath(dest, &existing) && !S_ISDIR(existing.st_mode) &&
        !(existing.st_mode & S_IWUSR)) {
        const bool yes = confirmUi(QStringLiteral("Verify"), QStringLiteral("Copy over read-only file"),
                                   dest + QStringLiteral(" already exists \rand is marked 'READ ONLY'. \r\r"
                                                         "Are you sure you want to copy over it?"));
        if (!yes)
            return true;
        if (::chmod(fsPath(dest).constData(), (existing.st_mode & 07777) | S_IWUSR) != 0)
            return true;
    }

    // 3. Open the source.
    const int in = io_->openRead(src);
    if (in < 0) {
        message(QStringLiteral("Cannot open ") + src + QLatin1Char('\r') + systemReason(errno),
                MsgKind::Information);
        return true;
    }
    struct stat sst;
    const bool attrsKnown = ::fstat(in, &sst) == 0;
    if (attrsKnown && !S_ISREG(sst.st_mode)) {
        io_->close(in);
        message(QStringLiteral("Cannot open ") + src + QStringLiteral("\rIt is not a regular file."),
                MsgKind::Information);
        return true;
    }
    // Copying a file onto itself (another name for the same file) would
    // truncate it.
    struct stat same;
    if (destExists && attrsKnown && statPath(dest, &same) && same.st_dev == sst.st_dev &&
        same.st_ino == sst.st_ino) {
        io_->close(in);
        message(QStringLiteral("Cannot copy file over itself"), MsgKind::Information);
        stop_ = true;
        return false;
    }

    ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);

    // 4. Create the destination; its permissions are set when it is complete.
    const int out = io_->createWrite(dest, 0600, createNew);
    if (out < 0) {
        const int err = errno;
        io_->close(in);
        if (createNew && err == EEXIST) {
            createClash_ = true;   // appeared meanwhile: the caller asks first
            return true;
        }
        if (okCancel(kAskCannotCreate, QStringLiteral("Cannot create ") + dest + QLatin1Char('\r') + systemReason(err),
                     MsgKind::Warning))
            stop_ = true;   // the transfer stops after this file
        ++result_.failures;
        return true;
    }

    // A file of more than one chunk gets its room reserved before the first
    // chunk: the file system allocates it in one piece, and the chunks only
    // fill it.
    qint64 reserved = 0;
    if (attrsKnown && sst.st_size > kCopyBufferSize && io_->preallocate(out, sst.st_size) == 0)
        reserved = sst.st_size;

    // 5. File bar.
    progress_.setFileName(baseName(src));
    progress_.fileTotal = 2 * std::max<qint64>(srcSize, 0);
    progress_.fileDone = 0;
    progress_.readRate = -1;
    progress_.writeRate = -1;

    // 6. The copy loop.
    // The buffer is needed only when the kernel cannot move the bytes itself.
    std::unique_ptr<char[]> buffer;
    qint64 bytesRead = 0, bytesWritten = 0;
    bool failed = false, result = true;
    bool kernelCopy = io_->useCopyRange();
    QElapsedTimer clock;
    for (;;) {
        progress_.waitWhilePaused();
        if (progress_.cancelled()) {
            failed = true;
            result = false;
            break;
        }
        // One chunk. Bytes the kernel moved (kfill) are already in the
        // destination; bytes read into the buffer (bfill) are written below.
        qint64 kfill = 0, bfill = 0;
        int attempts = 0, readErr = 0;
        bool readFailed = false;
        clock.start();
        while (kfill + bfill < kCopyBufferSize) {
            const size_t want = size_t(kCopyBufferSize - kfill - bfill);
            ssize_t n;
            if (kernelCopy) {
                n = io_->copyRange(in, out, want);
                if (n < 0) {
                    // Not possible here, or a failure: read and write
                    // ourselves from here on, which also tells which side failed.
                    kernelCopy = false;
                    continue;
                }
                kfill += n;
            } else {
                if (!buffer)
                    buffer.reset(new char[kCopyBufferSize]);
                n = io_->read(in, buffer.get() + bfill, want);
                if (n < 0) {
                    readErr = errno;
                    n = 0;
                }
                bfill += n;
            }
            bytesRead += n;
            if (kfill + bfill == kCopyBufferSize || bytesRead >= srcSize)
                break;
            // Fewer bytes than asked while the file should hold more: a failed attempt.
            if (++attempts >= kReadTries) {
                readFailed = failed = true;
                break;
            }
        }
        const qint64 filled = kfill + bfill;
        if (filled > 0) {
            const qint64 readNs = clock.nsecsElapsed();
            reportChunk(filled, readNs, true);
            clock.start();
            qint64 off = 0;
            while (off < bfill) {
                const ssize_t w = io_->write(out, buffer.get() + off, size_t(bfill - off));
                if (w <= 0) {
                    const int err = w < 0 ? errno : ENOSPC;
                    failed = true;
                    if (okCancel(kAskWriteError,
                                 QStringLiteral("Cannot write ") + dest + QLatin1Char('\r') + systemReason(err),
                                 MsgKind::Error))
                        result = false;
                    break;
                }
                off += w;
            }
            bytesWritten += kfill + off;
            if (off == bfill)
                reportChunk(filled, bfill > 0 ? clock.nsecsElapsed() : readNs, false);
        }
        if (readFailed) {
            QString text = QStringLiteral("File read error after ") + QString::number(kReadTries) +
                           QStringLiteral(" tries.\r") + src;
            if (readErr)
                text += QLatin1Char('\r') + systemReason(readErr);
            if (okCancel(kAskReadError, text, MsgKind::Error))
                result = false;
        }
        if (failed || filled < kCopyBufferSize)
            break;
    }

    // 7. Times, close, permissions.
    // Room reserved beyond the end of a source that shrank meanwhile is
    // given back.
    if (!failed && reserved > bytesWritten)
        ::ftruncate(out, off_t(bytesWritten));
    if (attrsKnown) {
        const timespec times[2] = {sst.st_atim, sst.st_mtim};
        ::futimens(out, times);
        mode_t mode = sst.st_mode & 07777;
        if (sourceIsOptical)
            mode |= S_IWUSR;
        ::fchmod(out, mode);
    }
    const int closeRc = io_->close(out);
    if (closeRc != 0 && !failed) {
        const int err = errno;
        failed = true;
        if (okCancel(kAskWriteError, QStringLiteral("Cannot write ") + dest + QLatin1Char('\r') + systemReason(err),
                     MsgKind::Error))
            result = false;
    }
    io_->close(in);

    // 8. The check: an incomplete copy never stays behind.
    const bool sizeDiffers = srcSize >= 0 && bytesRead != srcSize;
    if (failed || sizeDiffers || bytesWritten != bytesRead) {
        if (!failed)
            message(dest + QStringLiteral(" not correctly copied"), MsgKind::Error);
        io_->unlink(dest);
        if (!progress_.cancelled())
            ++result_.failures;
        if (progress_.cancelled())
            result = false;
        return result;
    }
    if (ok)
        *ok = true;
    ++result_.filesDone;
    return result;
}

bool Transfer::copyLink(const QString& src, const QString& dest, const struct stat& st)
{
    QByteArray target(std::max<qint64>(st.st_size, 255) + 1, 0);
    const ssize_t n = ::readlink(fsPath(src).constData(), target.data(), size_t(target.size()));
    if (n < 0) {
        message(QStringLiteral("Cannot open ") + src + QLatin1Char('\r') + systemReason(errno), MsgKind::Information);
        ++result_.failures;
        return false;
    }
    target.truncate(int(n));
    bool exists;
    const Decision d = askoverwrite(src, dest, &exists);
    if (d == Decision::EndTransfer) {
        stop_ = true;
        return false;
    }
    if (d == Decision::Skip)
        return false;
    if (exists && ::unlink(fsPath(dest).constData()) != 0 && errno != ENOENT) {
        if (okCancel(kAskCannotCreate, QStringLiteral("Cannot create ") + dest + QLatin1Char('\r') + systemReason(errno),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return false;
    }
    if (::symlink(target.constData(), fsPath(dest).constData()) != 0) {
        if (okCancel(kAskCannotCreate, QStringLiteral("Cannot create ") + dest + QLatin1Char('\r') + systemReason(errno),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return false;
    }
    setTimes(dest, st, true);
    ++result_.filesDone;
    return true;
}

bool Transfer::copySpecial(const QString& src, const QString& dest, const struct stat& st)
{
    // Pipes, sockets and devices are never read; they are made anew where the
    // system allows it.
    struct stat d;
    if (lstatPath(dest, &d)) {
        message(QStringLiteral("Cannot create ") + dest + QStringLiteral("\rA file of that name already exists."),
                MsgKind::Information);
        ++result_.failures;
        return false;
    }
    if (::mknod(fsPath(dest).constData(), st.st_mode, st.st_rdev) != 0) {
        message(QStringLiteral("Cannot copy ") + src + QStringLiteral("\rIt is not a regular file (") +
                    systemReason(errno) + QStringLiteral(")."),
                MsgKind::Information);
        ++result_.failures;
        return false;
    }
    setTimes(dest, st, true);
    ++result_.filesDone;
    return true;
}

void Transfer::copyEntry(const QString& src, const QString& dest, const struct stat& st)
{
    if (S_ISDIR(st.st_mode)) {
        copyTree(src, dest, st, move_);
        return;
    }
    if (S_ISLNK(st.st_mode)) {
        if (copyLink(src, dest, st) && move_)
            removeSource(src);
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        if (copySpecial(src, dest, st) && move_)
            removeSource(src);
        return;
    }
    progress_.setFileName(baseName(src));
    if (freshDest_) {
        // Inside a directory this transfer made: nothing can be in the way,
        // and the exclusive create makes sure of it.
        bool ok = false;
        if (!copyFileTo(src, dest, false, st.st_size, &ok, true))
            stop_ = true;
        if (!createClash_) {
            if (ok && move_)
                removeSource(src);
            return;
        }
    }
    bool exists;
    const Decision d = askoverwrite(src, dest, &exists);
    if (d == Decision::EndTransfer) {
        stop_ = true;
        return;
    }
    if (d == Decision::Skip)
        return;
    const QString destDir = dest.left(dest.lastIndexOf(QLatin1Char('/')));
    // A destination that is a directory cannot be replaced by a file.
    struct stat ds;
    QString target = destDir.isEmpty() ? QStringLiteral("/") : destDir;
    if (exists && lstatPath(dest, &ds) && S_ISDIR(ds.st_mode)) {
        if (okCancel(kAskCannotCreate, QStringLiteral("Cannot create ") + dest + QStringLiteral("\rIt is a directory."),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return;
    }
    if (exists && lstatPath(dest, &ds) && S_ISLNK(ds.st_mode))
        ::unlink(fsPath(dest).constData());   // replace the link, not the file it points to
    // QCopyFile appends the source's name to the directory, so it must be the
    // same name as dest's.
    bool ok = false;
    const QString full = baseName(dest) == baseName(src) ? target : dest;
    if (!QCopyFile(src, full, exists, st.st_size, &ok))
        stop_ = true;
    if (ok && move_)
        removeSource(src);
}

bool Transfer::removeSource(const QString& src)
{
    if (::unlink(fsPath(src).constData()) == 0)
        return true;
    message(QStringLiteral("Cannot remove ") + src + QLatin1Char('\r') + systemReason(errno) +
                QStringLiteral("\rThe copy at the destination is complete."),
            MsgKind::Error);
    ++result_.failures;
    return false;
}

void Transfer::copyTree(const QString& src, const QString& dest, const struct stat& st, bool move)
{
    struct stat ds;
    const bool exists = lstatPath(dest, &ds);
    if (exists && !S_ISDIR(ds.st_mode)) {
        if (okCancel(kAskCannotCreate,
                     QStringLiteral("Cannot create ") + dest + QStringLiteral("\rA file of that name already exists."),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return;
    }
    if (!exists && ::mkdir(fsPath(dest).constData(), 0700) != 0) {
        if (okCancel(kAskCannotCreate, QStringLiteral("Cannot create ") + dest + QLatin1Char('\r') + systemReason(errno),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return;
    }
    int err;
    const QStringList names = listNames(src, &err);
    if (err) {
        message(QStringLiteral("Cannot open ") + src + QLatin1Char('\r') + systemReason(err), MsgKind::Information);
        ++result_.failures;
    }
    const bool wasFresh = freshDest_;
    freshDest_ = !exists;
    for (const QString& n : names) {
        progress_.waitWhilePaused();
        if (stopping())
            break;
        const QString s = platform::makefullname(src, n);
        struct stat cst;
        if (!lstatPath(s, &cst))
            continue;   // vanished meanwhile
        const QString d = platform::makefullname(dest, n);
        if (move && freshDest_) {
            // A new directory on the other volume: copy, check, remove.
            const bool wasMove = move_;
            move_ = true;
            copyEntry(s, d, cst);
            move_ = wasMove;
        } else if (move) {
            // Inside a tree being moved across volumes; a child on the same
            // volume as its destination cannot happen, but a rename is tried
            // first anyway.
            moveEntry(s, d, cst);
        } else {
            copyEntry(s, d, cst);
        }
    }
    freshDest_ = wasFresh;
    if (!exists || move) {
        ::chmod(fsPath(dest).constData(), st.st_mode & 07777);
        setTimes(dest, st, false);
    }
    if (move && !stopping())
        ::rmdir(fsPath(src).constData());   // fails, as it should, when something was left behind
}

bool Transfer::moveEntry(const QString& src, const QString& dest, const struct stat& st)
{
    struct stat ds;
    const bool exists = lstatPath(dest, &ds);
    if (!exists) {
        if (::rename(fsPath(src).constData(), fsPath(dest).constData()) == 0) {
            ++result_.filesDone;
            return true;
        }
        if (errno != EXDEV) {
            message(QStringLiteral("Cannot move ") + src + QLatin1Char('\r') + systemReason(errno), MsgKind::Error);
            ++result_.failures;
            return false;
        }
        const bool wasMove = move_;
        move_ = true;
        copyEntry(src, dest, st);
        move_ = wasMove;
        return true;
    }
    // The destination exists.
    if (S_ISDIR(st.st_mode) && S_ISDIR(ds.st_mode)) {
        copyTree(src, dest, st, true);   // merge, entry by entry
        return true;
    }
    if (S_ISDIR(st.st_mode)) {
        if (okCancel(kAskCannotCreate,
                     QStringLiteral("Cannot create ") + dest + QStringLiteral("\rA file of that name already exists."),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return false;
    }
    bool exists2;
    const Decision d = askoverwrite(src, dest, &exists2);
    if (d == Decision::EndTransfer) {
        stop_ = true;
        return false;
    }
    if (d == Decision::Skip)
        return false;
    if (S_ISDIR(ds.st_mode)) {
        if (okCancel(kAskCannotCreate, QStringLiteral("Cannot create ") + dest + QStringLiteral("\rIt is a directory."),
                     MsgKind::Warning))
            stop_ = true;
        ++result_.failures;
        return false;
    }
    if (!S_ISLNK(ds.st_mode) && !(ds.st_mode & S_IWUSR)) {
        const bool yes = confirmUi(QStringLiteral("Verify"), QStringLiteral("Copy over read-only file"),
                                   dest + QStringLiteral(" already exists \rand is marked 'READ ONLY'. \r\r"
                                                         "Are you sure you want to copy over it?"));
        if (!yes)
            return false;
    }
    if (::rename(fsPath(src).constData(), fsPath(dest).constData()) == 0) {
        ++result_.filesDone;
        return true;
    }
    if (errno != EXDEV) {
        message(QStringLiteral("Cannot move ") + src + QLatin1Char('\r') + systemReason(errno), MsgKind::Error);
        ++result_.failures;
        return false;
    }
    // Across volumes: copy over the destination (already agreed to), then remove.
    const bool wasMove = move_;
    const OverwriteState saved = overwrite;
    overwrite.replaceAll = true;   // the question has been answered for this file
    move_ = true;
    if (S_ISLNK(ds.st_mode))
        ::unlink(fsPath(dest).constData());
    ::chmod(fsPath(dest).constData(), (ds.st_mode & 07777) | S_IWUSR);
    copyEntry(src, dest, st);
    move_ = wasMove;
    overwrite = saved;
    return true;
}

TransferResult Transfer::run(const QStringList& sources, const QString& destDir, Operation op)
{
    result_ = TransferResult();
    stop_ = false;
    freshDest_ = false;
    move_ = false;
    const bool copy = op == Operation::Copy;
    const QString destCanon = canonicalDir(destDir);
    struct stat destSt;
    const bool destKnown = statPath(destDir, &destSt);

    // Total: every file that will pass through the copy loop.
    QStringList sized;
    for (const QString& s : sources) {
        struct stat st;
        if (!lstatPath(s, &st))
            continue;
        if (copy || !destKnown || st.st_dev != destSt.st_dev)
            sized << s;
    }
    progress_.totalTotal = 2 * totalSize(sized);
    progress_.totalDone = 0;
    if (view) {
        runOnUiThread([&] {
            view->showPreparing(false);
            view->showProgress(&progress_, &ui_);
        });
    }

    for (const QString& src : sources) {
        progress_.waitWhilePaused();
        if (stopping())
            break;
        struct stat st;
        if (!lstatPath(src, &st)) {
            message(QStringLiteral("Cannot open ") + src + QLatin1Char('\r') + systemReason(errno),
                    MsgKind::Information);
            ++result_.failures;
            continue;
        }
        const QString dest = platform::makefullname(destDir, baseName(src));
        // Over itself: the same name, or another name of the same file.
        struct stat ds;
        const bool destExists = lstatPath(dest, &ds);
        if (dest == src || (destExists && ds.st_dev == st.st_dev && ds.st_ino == st.st_ino)) {
            message(copy ? QStringLiteral("Cannot copy file over itself") : QStringLiteral("Cannot move file over itself"),
                    MsgKind::Information);
            stop_ = true;
            break;
        }
        if (S_ISDIR(st.st_mode)) {
            const QString srcCanon = canonicalDir(src);
            if (destCanon == srcCanon || destCanon.startsWith(srcCanon + QLatin1Char('/'))) {
                message((copy ? QStringLiteral("Cannot copy ") : QStringLiteral("Cannot move ")) + src +
                            QStringLiteral(" into itself"),
                        MsgKind::Information);
                stop_ = true;
                break;
            }
        }
        const int failuresBefore = result_.failures;
        if (copy) {
            copyEntry(src, dest, st);
            if (S_ISDIR(st.st_mode) && !destExists && QFileInfo(dest).isDir())
                result_.dirsCreated << dest;
        } else {
            moveEntry(src, dest, st);
            if (S_ISDIR(st.st_mode)) {
                struct stat after;
                if (!destExists && QFileInfo(dest).isDir())
                    result_.dirsCreated << dest;
                if (!lstatPath(src, &after))
                    result_.dirsRemoved << src;
            }
        }
        Q_UNUSED(failuresBefore);
    }
    result_.cancelled = progress_.cancelled();
    result_.stopped = stopping();
    return result_;
}

TransferResult runTransfer(UserInterface& ui, const QStringList& sources, const QString& destDir, Operation op,
                           ProgressView* view, FileIO* io, bool sourceIsOptical, ProgressState* state)
{
    ProgressState own;
    ProgressState& progress = state ? *state : own;
    Transfer t(ui, progress, io);
    t.view = view;
    t.sourceIsOptical = sourceIsOptical;
    TransferResult result;
    if (view && sources.size() > 201)
        view->showPreparing(true);   // while the sizes are summed
    QEventLoop loop;
    QThread* worker = QThread::create([&] {
        result = t.run(sources, destDir, op);
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    if (view) {
        view->showPreparing(false);
        view->hideProgress();
    }
    return result;
}

}  // namespace zx
