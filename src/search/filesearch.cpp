#include "search/filesearch.h"

#include "platform/threadpriority.h"

#include <QFile>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace zx {

namespace {

inline unsigned char asciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
inline unsigned char asciiUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

// Length of the UTF-8 sequence that starts with c (1 for stray bytes).
inline size_t utf8Len(unsigned char c)
{
    if (c < 0xC0)
        return 1;
    if (c < 0xE0)
        return 2;
    if (c < 0xF0)
        return 3;
    return 4;
}

// Glob with * and ? over two sequences; eq compares one unit, step gives the
// length of the name unit that ? consumes.
template <typename P, typename N, typename Eq, typename Step>
bool globMatch(const P* p, size_t pn, const N* n, size_t nn, Eq eq, Step step)
{
    size_t pi = 0, ni = 0;
    size_t starP = size_t(-1), starN = 0;
    while (ni < nn) {
        if (pi < pn && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < pn && p[pi] == '?') {
            ++pi;
            ni += step(n, ni, nn);
        } else if (pi < pn && eq(p[pi], n[ni])) {
            ++pi;
            ++ni;
        } else if (starP != size_t(-1)) {
            pi = starP + 1;
            starN += step(n, starN, nn);
            ni = starN;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == '*')
        ++pi;
    return pi == pn;
}

constexpr int kKeepFdDepth = 200;

qint64 nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int roundHalfEvenPercent(qint64 pos, qint64 size)
{
    const qint64 num = pos * 100;
    qint64 q = num / size;
    const qint64 r = num % size;
    if (2 * r > size || (2 * r == size && (q & 1)))
        ++q;
    return int(q);
}

// buf and folded are the caller's chunk buffers (kept from file to file: a
// fresh 80 KB allocation per file costs more than reading a small file).
bool fileContainsFd(int fd, qint64 size, const QByteArray& text, bool caseSensitive,
                    const std::atomic<bool>* stop, const std::function<void(int)>& progress,
                    std::vector<unsigned char>& buf, std::vector<unsigned char>& folded)
{
    if (text.isEmpty())
        return true;
    const size_t tn = size_t(text.size());
    QByteArray needle = text;
    if (!caseSensitive)
        for (char& c : needle)
            c = char(asciiUpper(static_cast<unsigned char>(c)));
    buf.resize(kSearchChunk);
    if (!caseSensitive)
        folded.resize(kSearchChunk);
    qint64 pos = 0;
    for (;;) {
        ssize_t got;
        do {
            got = pread(fd, buf.data(), kSearchChunk, pos);
        } while (got < 0 && errno == EINTR);
        if (got < 0)
            return false;
        pos += got;
        if (size > 0 && progress)
            progress(roundHalfEvenPercent(std::min(pos, size), size));
        // The chunk's text ends at its first zero byte.
        const void* zero = memchr(buf.data(), 0, size_t(got));
        const size_t len = zero ? size_t(static_cast<const unsigned char*>(zero) - buf.data()) : size_t(got);
        const unsigned char* hay = buf.data();
        if (!caseSensitive) {
            for (size_t i = 0; i < len; ++i)
                folded[i] = asciiUpper(buf[i]);
            hay = folded.data();
        }
        if (len >= tn && memmem(hay, len, needle.constData(), tn))
            return true;
        if (got < kSearchChunk)
            return false;   // end of the file
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        // Step back so that a text across the chunk border is still found.
        pos -= qint64(tn) - 1;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Name patterns

NamePattern::NamePattern(const QString& pattern)
{
    const QString p = pattern.isEmpty() ? QStringLiteral("*") : pattern;
    all_ = p == QLatin1String("*.*") || p == QLatin1String("*");
    for (QChar c : p)
        if (c.unicode() >= 0x80)
            ascii_ = false;
    if (ascii_) {
        folded_ = p.toLatin1();
        for (char& c : folded_)
            c = char(asciiLower(static_cast<unsigned char>(c)));
    } else {
        wide_ = p.toCaseFolded().toUcs4();
    }
}

bool NamePattern::matches(const char* name, size_t len) const
{
    if (all_)
        return true;
    if (ascii_) {
        return globMatch(
            folded_.constData(), size_t(folded_.size()), name, len,
            [](char pc, char nc) { return pc == char(asciiLower(static_cast<unsigned char>(nc))); },
            [](const char* n, size_t i, size_t nn) {
                return std::min(utf8Len(static_cast<unsigned char>(n[i])), nn - i);
            });
    }
    return matches(QString::fromUtf8(name, qsizetype(len)));
}

bool NamePattern::matches(const QString& name) const
{
    if (all_)
        return true;
    if (ascii_) {
        const QByteArray u = name.toUtf8();
        return matches(u.constData(), size_t(u.size()));
    }
    const QList<uint> n = name.toCaseFolded().toUcs4();
    return globMatch(
        wide_.constData(), size_t(wide_.size()), n.constData(), size_t(n.size()),
        [](uint a, uint b) { return a == b; }, [](const uint*, size_t, size_t) { return size_t(1); });
}

bool matchesPattern(const QString& pattern, const QString& name)
{
    return NamePattern(pattern).matches(name);
}

bool filecontains(const QByteArray& text, const QString& path, bool caseSensitive,
                  const std::atomic<bool>* stop, const std::function<void(int)>& progress)
{
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    bool found = false;
    std::vector<unsigned char> buf, folded;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        found = fileContainsFd(fd, st.st_size, text, caseSensitive, stop, progress, buf, folded);
    close(fd);
    return found;
}

// ---------------------------------------------------------------------------
// The search

FileSearch::FileSearch(const tfilesearchsettings& settings, ReportFn report)
    : s_(settings), report_(std::move(report)), pattern_(settings.pattern), text_(settings.text.toUtf8())
{
}

void FileSearch::status(const QByteArray& dirPath, const QString& name, int progress)
{
    if (statusIntervalMs_ > 0) {
        const qint64 now = nowNs();
        if (now - lastStatusNs_ < qint64(statusIntervalMs_) * 1000000)
            return;
        lastStatusNs_ = now;
    }
    tupdateinfo info;
    info.progress = progress;
    info.directory = QFile::decodeName(dirPath);
    info.name = name;
    info.size = -1;
    report_(info);
}

void FileSearch::hit(const QByteArray& dirPath, const QByteArray& name, qint64 size, qint64 mtimeMs)
{
    tupdateinfo info;
    info.directory = QFile::decodeName(dirPath);
    info.name = QFile::decodeName(name);
    info.modified = QDateTime::fromMSecsSinceEpoch(mtimeMs);
    info.size = size;
    report_(info);
}

void FileSearch::run()
{
    // The stop flag starts clear with the search object; a stop requested
    // before the thread got going still counts.
    dirCount_ = 0;
    lastStatusNs_ = 0;
    QByteArray start = QFile::encodeName(s_.startDir);
    if (start.isEmpty())
        return;
    if (!start.endsWith('/'))
        start.append('/');
    const int fd = open(start.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        ++dirCount_;
        return;
    }
    struct stat st;
    if (fstat(fd, &st) == 0)
        dev_ = st.st_dev;
    searchfolder(fd, start, 0);
}

// Takes ownership of dirFd. dirPath ends in "/".
void FileSearch::searchfolder(int dirFd, const QByteArray& dirPath, int depth)
{
    ++dirCount_;
    if (dirCount_ % 10 == 0)
        status(dirPath, QString(), 0);

    DIR* d = fdopendir(dirFd);
    if (!d) {
        close(dirFd);
        return;
    }
    const int dfd = dirfd(d);
    struct Item {
        QByteArray name;
        bool isDir;
    };
    std::vector<Item> matched;
    std::vector<QByteArray> subdirs;
    while (dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const size_t len = strlen(name);
        bool isDir = e->d_type == DT_DIR;
        bool isLink = e->d_type == DT_LNK;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                isDir = S_ISDIR(st.st_mode);
                isLink = S_ISLNK(st.st_mode);
            }
        }
        const bool hidden = name[0] == '.';
        // Real directories are entered (not hidden ones); links are never followed.
        if (isDir && !hidden && s_.subfolders)
            subdirs.emplace_back(name, qsizetype(len));
        if (s_.foldersOnly) {
            bool dirLike = isDir;
            if (isLink) {
                struct stat st;
                dirLike = fstatat(dfd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
            if (dirLike && !hidden && pattern_.matches(name, len))
                matched.push_back({QByteArray(name, qsizetype(len)), true});
        } else if (!isDir && pattern_.matches(name, len)) {
            matched.push_back({QByteArray(name, qsizetype(len)), false});
        }
    }

    for (const Item& item : matched) {
        if (stopRequested())
            break;
        status(dirPath, QFile::decodeName(item.name), 0);
        struct stat st;
        // A link is described by what it points to; a broken one by itself.
        if (fstatat(dfd, item.name.constData(), &st, 0) != 0
            && fstatat(dfd, item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!s_.foldersOnly && S_ISDIR(st.st_mode))
            continue;   // a link to a directory is not a file
        const qint64 mtimeMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
        if (s_.foldersOnly) {
            hit(dirPath, item.name, 0, mtimeMs);
            continue;
        }
        const qint64 size = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
        if (!text_.isEmpty()) {
            if (size == 0 || !S_ISREG(st.st_mode))
                continue;
            const int fd = openat(dfd, item.name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0)
                continue;
            const QString name = QFile::decodeName(item.name);
            const bool found = fileContainsFd(fd, size, text_, s_.caseSensitive, &stop_,
                                              [&](int pct) { status(dirPath, name, pct); }, buf_, folded_);
            close(fd);
            if (!found)
                continue;
        }
        hit(dirPath, item.name, size, mtimeMs);
    }

    if (stopRequested() || !s_.subfolders) {
        closedir(d);
        return;
    }
    // Deep down, directories are opened by their full path so that the open
    // descriptors along the way cannot exhaust the process's table.
    if (depth >= kKeepFdDepth) {
        closedir(d);
        d = nullptr;
    }
    for (const QByteArray& sub : subdirs) {
        if (stopRequested())
            break;
        const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
        const int cfd = d ? openat(dfd, sub.constData(), flags) : open(QByteArray(dirPath + sub).constData(), flags);
        if (cfd < 0)
            continue;
        struct stat st;
        if (fstat(cfd, &st) != 0 || (unsigned long long)st.st_dev != dev_) {
            close(cfd);   // another file system is mounted here
            continue;
        }
        searchfolder(cfd, dirPath + sub + '/', depth + 1);
    }
    if (d)
        closedir(d);
}

// ---------------------------------------------------------------------------
// The worker thread

tfsearch::tfsearch(const tfilesearchsettings& settings, QObject* parent)
    : QThread(parent), search_(settings, [this](const tupdateinfo& info) { Q_EMIT report(info); })
{
    search_.setStatusInterval(40);
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

tfsearch::~tfsearch()
{
    search_.requestStop();
    wait();
}

void tfsearch::requestStop()
{
    search_.requestStop();
}

void tfsearch::setStatusInterval(int ms)
{
    search_.setStatusInterval(ms);
}

void tfsearch::run()
{
    platform::setCurrentThreadIdlePriority();
    search_.run();
    Q_EMIT searchEnded(quintptr(QThread::currentThreadId()));
}

}  // namespace zx
