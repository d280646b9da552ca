#include "tree/treescan.h"

#include "tree/directorytree.h"

#include <QFile>
#include <QSaveFile>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zx {

namespace {

bool validUtf8(const unsigned char* s, size_t n)
{
    size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned min;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; cp = c & 0x07; }
        else return false;
        if (i + size_t(extra) >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = s[i + size_t(k)];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += size_t(extra) + 1;
    }
    return true;
}

// Directory file descriptors stay open down the recursion only this deep;
// below it each directory is opened by its full path, so a very deep tree
// cannot exhaust the descriptor table.
constexpr int kKeepFdDepth = 200;

class Scanner {
public:
    Scanner(const TreeScanProgress& progress, const std::atomic<bool>* cancel)
        : progress_(progress), cancel_(cancel) {}

    QByteArray out;
    qint64 count = 0;
    bool cancelled = false;
    // Flushes `out` when it grows large (the file writer sets this).
    std::function<bool()> flush;

    void scanRoot(const QByteArray& root)
    {
        out.append(root);
        out.append("\r\n");
        const int fd = open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat st;
        if (fstat(fd, &st) != 0) {
            close(fd);
            return;
        }
        dev_ = st.st_dev;
        path_ = root.toStdString();
        if (path_.empty() || path_.back() != '/')
            path_.push_back('/');
        writedirs(fd, 1);
    }

private:
    // Lists the subdirectories of the directory open as fd, writes their
    // lines at `level` and recurses. Takes ownership of fd.
    void writedirs(int fd, int level)
    {
        DIR* d = fdopendir(fd);
        if (!d) {
            close(fd);
            return;
        }
        std::vector<std::string> subdirs;
        while (dirent* e = readdir(d)) {
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            bool isDir = e->d_type == DT_DIR;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st;
                isDir = fstatat(dirfd(d), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            if (isDir)
                subdirs.emplace_back(name);
        }
        int dfd = dirfd(d);
        const bool keepFd = level < kKeepFdDepth;
        if (!keepFd) {
            closedir(d);
            d = nullptr;
            dfd = -1;
        }
        for (const std::string& name : subdirs) {
            if (cancelled || (cancel_ && cancel_->load(std::memory_order_relaxed))) {
                cancelled = true;
                break;
            }
            const size_t len = name.size();
            if (!DirectoryTree::isStorableName(name.data(), len)
                || !validUtf8(reinterpret_cast<const unsigned char*>(name.data()), len))
                continue;
            out.append(qsizetype(level), ' ');
            size_t i = 0;
            while (i < len && name[i] == ' ') {
                out.append('*');
                ++i;
            }
            out.append(name.data() + i, qsizetype(len - i));
            out.append("\r\n");
            ++count;
            if (count % 10 == 0 && progress_)
                progress_(count);
            if (flush && out.size() > (1 << 20) && !flush())
                cancelled = true;

            const size_t oldLen = path_.size();
            path_.append(name);
            const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
            const int cfd = dfd >= 0 ? openat(dfd, name.c_str(), flags) : open(path_.c_str(), flags);
            if (cfd >= 0) {
                struct stat st;
                if (fstat(cfd, &st) == 0 && st.st_dev == dev_) {
                    path_.push_back('/');
                    writedirs(cfd, level + 1);
                } else {
                    close(cfd);   // another file system is mounted here
                }
            }
            path_.resize(oldLen);
        }
        if (d)
            closedir(d);
    }

    const TreeScanProgress& progress_;
    const std::atomic<bool>* cancel_;
    dev_t dev_ = 0;
    std::string path_;
};

}  // namespace

TreeScanResult writeTreeFile(const QString& datPath, const QStringList& roots,
                             const TreeScanProgress& progress, const std::atomic<bool>* cancel)
{
    TreeScanResult r;
    QSaveFile file(datPath);
    if (!file.open(QIODevice::WriteOnly)) {
        r.error = file.errorString();
        return r;
    }
    Scanner s(progress, cancel);
    bool writeFailed = false;
    s.flush = [&]() {
        if (file.write(s.out) != s.out.size()) {
            writeFailed = true;
            return false;
        }
        s.out.clear();
        return true;
    };
    for (const QString& root : roots) {
        if (s.cancelled)
            break;
        s.scanRoot(QFile::encodeName(root));
    }
    r.directories = s.count;
    if (s.cancelled && !writeFailed) {
        file.cancelWriting();
        r.cancelled = true;
        return r;
    }
    if (writeFailed || !s.flush() || !file.commit()) {
        r.error = file.errorString();
        return r;
    }
    r.ok = true;
    return r;
}

QByteArray scanTreeBytes(const QStringList& roots, qint64* directories)
{
    TreeScanProgress none;
    Scanner s(none, nullptr);
    for (const QString& root : roots)
        s.scanRoot(QFile::encodeName(root));
    if (directories)
        *directories = s.count;
    return s.out;
}

}  // namespace zx
