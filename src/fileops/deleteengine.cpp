#include "fileops/deleteengine.h"

#include "fileops/fileio.h"

#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

namespace {

// Removes everything inside the directory open as dfd; name is the path of
// that directory for messages. Returns true when it is empty afterwards.
bool clearDir(int dfd, const QByteArray& path, ProgressState* progress, QList<DeleteFailure>* failures)
{
    DIR* d = ::fdopendir(dfd);
    if (!d) {
        if (failures)
            failures->append({QFile::decodeName(path), errno});
        ::close(dfd);
        return false;
    }
    bool empty = true;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        if (progress && progress->cancelled()) {
            empty = false;
            break;
        }
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir = ::fstatat(dirfd(d), n, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        const QByteArray child = path + '/' + n;
        if (isDir) {
            const int cfd = ::openat(dirfd(d), n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (cfd < 0) {
                // An unreadable directory may still be empty and removable.
                if (::unlinkat(dirfd(d), n, AT_REMOVEDIR) != 0) {
                    if (failures)
                        failures->append({QFile::decodeName(child), errno});
                    empty = false;
                }
                continue;
            }
            if (!clearDir(cfd, child, progress, failures)) {
                empty = false;
                continue;
            }
            if (::unlinkat(dirfd(d), n, AT_REMOVEDIR) != 0) {
                if (failures)
                    failures->append({QFile::decodeName(child), errno});
                empty = false;
            }
        } else if (::unlinkat(dirfd(d), n, 0) != 0) {
            if (failures)
                failures->append({QFile::decodeName(child), errno});
            empty = false;
        }
        if (progress) {
            if ((++progress->itemsDone & 63) == 0)
                progress->setFileName(QFile::decodeName(n));
        }
    }
    ::closedir(d);
    return empty;
}

}  // namespace

bool removeTree(const QString& path, ProgressState* progress, QList<DeleteFailure>* failures)
{
    const QByteArray p = fsPath(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0) {
        if (failures)
            failures->append({path, errno});
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlink(p.constData()) != 0) {
            if (failures)
                failures->append({path, errno});
            return false;
        }
        return true;
    }
    const int fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && !clearDir(fd, p, progress, failures))
        return false;
    if (::rmdir(p.constData()) != 0) {
        if (failures)
            failures->append({path, errno});
        return false;
    }
    return true;
}

bool isNonEmptyDir(const QString& path)
{
    struct stat st;
    if (::lstat(fsPath(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    DIR* d = ::opendir(fsPath(path).constData());
    if (!d)
        return true;   // cannot look inside: treat as holding something
    bool any = false;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        any = true;
        break;
    }
    ::closedir(d);
    return any;
}

QList<DeleteFailure> runDeletion(UserInterface& ui, const QStringList& paths, ProgressView* view)
{
    ProgressState state;
    state.setCaption(QStringLiteral("Deleting"));
    QList<DeleteFailure> failures;
    if (view)
        view->showProgress(&state, &ui);
    QEventLoop loop;
    QThread* worker = QThread::create([&] {
        for (const QString& p : paths) {
            if (state.cancelled())
                break;
            state.setFileName(p);
            removeTree(p, &state, &failures);
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    if (view)
        view->hideProgress();
    return failures;
}

}  // namespace zx
