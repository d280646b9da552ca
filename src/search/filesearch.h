#pragma once
// The file search: walks a directory tree, matches names against a pattern,
// optionally looks for a text inside each matching file, and reports every
// hit and its progress.
//
// FileSearch is the search itself (no threads, no widgets; tests and
// benchmarks call run() directly). tfsearch runs one FileSearch on its own
// thread at idle CPU and I/O priority and hands every report to the window
// with a synchronous (blocking) call; the end is announced with a posted
// signal, so the window handles it after every report.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <vector>

namespace zx {

// What to search for (tfilesearchsettings). Read once when a search starts.
struct tfilesearchsettings {
    QString text;                 // text to find; empty: names alone are matched
    QString startDir;             // where the search starts
    QString pattern = QStringLiteral("*.*");   // name pattern with * and ?
    bool caseSensitive = false;   // for the text only
    bool foldersOnly = false;     // report matching directories instead of files
    bool subfolders = true;       // search subdirectories too
};

// One report (tupdateinfo).
struct tupdateinfo {
    QString status;               // not shown
    int progress = 0;             // percent of the file being searched for text
    QString directory;            // the directory searched, always ending in "/"
    QString name;                 // the entry reported (may be empty)
    QDateTime modified;           // last-write time, local
    qint64 size = -1;             // -1: status only; otherwise a hit and its size (0 for a directory)

    bool isHit() const { return size >= 0; }
};

// Bytes read per chunk when looking for a text.
constexpr int kSearchChunk = 81920;

// Name patterns: * (any run) and ? (one character), without regard to case.
// "*.*" matches every name, with or without a dot.
class NamePattern {
public:
    explicit NamePattern(const QString& pattern = QStringLiteral("*.*"));
    bool matches(const QString& name) const;
    bool matches(const char* utf8, size_t len) const;

private:
    bool all_ = false;
    bool ascii_ = true;
    QByteArray folded_;      // ASCII pattern, lower case
    QList<uint> wide_;       // non-ASCII pattern, case-folded code points
};

bool matchesPattern(const QString& pattern, const QString& name);

// Looks for text in the file at path (filecontains). The file is read in
// chunks of 81,920 bytes; a chunk's text ends at its first zero byte; chunks
// overlap by the text's length minus one so that a text across a chunk border
// is found. Without caseSensitive only the letters a-z are folded. progress
// (when given and the file is not empty) gets the percentage read after each
// chunk. A set stop flag ends the search after the current chunk. Only
// regular files are read; anything that cannot be opened gives false.
bool filecontains(const QByteArray& text, const QString& path, bool caseSensitive,
                  const std::atomic<bool>* stop = nullptr,
                  const std::function<void(int percent)>& progress = {});

class FileSearch {
public:
    using ReportFn = std::function<void(const tupdateinfo&)>;

    FileSearch(const tfilesearchsettings& settings, ReportFn report);

    // Status-only reports (size -1) closer together than this are dropped;
    // hits are always reported. 0 sends every status report.
    void setStatusInterval(int ms) { statusIntervalMs_ = ms; }

    // Runs the whole search (Execute without the end announcement).
    void run();

    void requestStop() { stop_.store(true); }
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
    const std::atomic<bool>* stopFlag() const { return &stop_; }
    qint64 directoriesVisited() const { return dirCount_; }

private:
    void searchfolder(int dirFd, const QByteArray& dirPath, int depth);
    void status(const QByteArray& dirPath, const QString& name, int progress);
    void hit(const QByteArray& dirPath, const QByteArray& name, qint64 size, qint64 mtimeMs);

    tfilesearchsettings s_;
    ReportFn report_;
    NamePattern pattern_;
    QByteArray text_;
    std::atomic<bool> stop_{false};
    qint64 dirCount_ = 0;
    int statusIntervalMs_ = 0;
    qint64 lastStatusNs_ = 0;
    unsigned long long dev_ = 0;
    std::vector<unsigned char> buf_, folded_;   // chunk buffers, reused for every file
};

// The search worker thread. Create it, connect report() with
// Qt::BlockingQueuedConnection and searchEnded() with Qt::QueuedConnection,
// then start(). It deletes itself when it has ended.
class tfsearch : public QThread {
    Q_OBJECT
public:
    explicit tfsearch(const tfilesearchsettings& settings, QObject* parent = nullptr);
    ~tfsearch() override;

    // The stop request: the worker ends at its next test of the flag.
    void requestStop();
    // Status reports are sent at most this often (ms); hits always.
    void setStatusInterval(int ms);

Q_SIGNALS:
    void report(const zx::tupdateinfo& info);
    void searchEnded(quintptr threadId);

protected:
    void run() override;

private:
    FileSearch search_;
};

}  // namespace zx

Q_DECLARE_METATYPE(zx::tupdateinfo)
