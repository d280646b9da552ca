#include "platform/dirlist.h"

#include "platform/filenames.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zx::platform {

namespace {

void fill(RawEntry& e, const struct stat& st, bool isLink)
{
    e.isLink = isLink;
    e.isdir = S_ISDIR(st.st_mode);
    e.size = e.isdir ? 0 : qint64(st.st_size);
    e.mtimeMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    quint32 a = 0;
    if (e.isdir)
        a |= AttrDirectory;
    if (!(st.st_mode & S_IWUSR))
        a |= AttrReadOnly;
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        a |= AttrSystem;
    e.attr = a;
}

bool hiddenName(const QString& n)
{
    return n.startsWith(QLatin1Char('.')) && n != QLatin1String(".") && n != QLatin1String("..");
}

}  // namespace

int readDirectory(const QString& dir, std::vector<RawEntry>& out)
{
    const QByteArray path = encodeFileName(dir);
    const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DIR* d = fdopendir(fd);
    if (!d) {
        const int err = errno;
        close(fd);
        return err;
    }
    const bool isRoot = dir == QLatin1String("/");
    while (struct dirent* de = readdir(d)) {
        const char* n = de->d_name;
        if (isRoot && strcmp(n, "..") == 0)
            continue;
        RawEntry e;
        e.name = decodeFileName(QByteArray(n));
        struct stat st;
        bool isLink = de->d_type == DT_LNK;
        if (fstatat(fd, n, &st, 0) == 0) {
            if (de->d_type == DT_UNKNOWN) {
                struct stat lst;
                if (fstatat(fd, n, &lst, AT_SYMLINK_NOFOLLOW) == 0)
                    isLink = S_ISLNK(lst.st_mode);
            }
            fill(e, st, isLink);
        } else if (fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            // A link whose target is missing: listed as a special file.
            fill(e, st, true);
            e.size = 0;
            e.attr |= AttrSystem;
        } else {
            continue;   // vanished while being read
        }
        if (hiddenName(e.name))
            e.attr |= AttrHidden;
        out.push_back(std::move(e));
    }
    closedir(d);
    return 0;
}

bool statPath(const QString& path, RawEntry* out)
{
    struct stat st;
    const QByteArray p = encodeFileName(path);
    if (stat(p.constData(), &st) != 0)
        return false;
    if (out) {
        fill(*out, st, false);
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        out->name = path.mid(slash + 1);
        if (hiddenName(out->name))
            out->attr |= AttrHidden;
    }
    return true;
}

bool isDirectory(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st;
    return stat(encodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace zx::platform
