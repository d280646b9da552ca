// The search worker: name patterns, looking for text in files, the walk and
// its reports, the stop flag and the worker thread.
#include "search/filesearch.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zx;
using zx::test::writeFile;

TEST(NamePattern, WildcardsWithoutRegardToCase)
{
    struct C { const char* pattern; const char* name; bool match; } cases[] = {
        {"*.*", "README", true},          // "*.*" takes names without a dot too
        {"*.*", ".hidden", true},
        {"*.txt", "notes.TXT", true},
        {"*.txt", "notes.txt.bak", false},
        {"*.TXT", "a.txt", true},
        {"data?", "data1", true},
        {"data?", "data", false},
        {"data?", "data12", false},
        {"?.txt", "\xc3\xa4.txt", true},   // ? is one character, not one byte
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false},
        {"*report*", "Q3-REPORT-final.pdf", true},
        {"\xc3\x84*", "\xc3\xa4pfel", true},  // non-ASCII letters fold too
        {"*", "", true},
        {"x", "X", true},
        {"[ab]", "[AB]", true},           // brackets are plain characters
        {"[ab]", "a", false},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(matchesPattern(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.match);
    }
}

namespace {

QByteArray filler(qsizetype n, char c = 'x') { return QByteArray(n, c); }

}  // namespace

TEST(FileContains, ChunksOverlapZeroCutAndCase)
{
    QTemporaryDir tmp;
    const int K = kSearchChunk;
    struct C {
        const char* what;
        QByteArray content;
        const char* text;
        bool caseSensitive;
        bool found;
    } cases[] = {
        {"at the start", "needle" + filler(10), "needle", true, true},
        {"at the very end", filler(3 * K) + "needle", "needle", true, true},
        {"across the first chunk border", filler(K - 3) + "needle" + filler(100), "needle", true, true},
        {"across the second chunk border", filler(2 * K - 10) + "needle" + filler(100), "needle", true, true},
        {"ending exactly at the border", filler(K - 6) + "needle" + filler(10), "needle", true, true},
        {"after a zero byte in the same chunk", "abc" + QByteArray(1, '\0') + "needle", "needle", true, false},
        {"before a zero byte", "needle" + QByteArray(1, '\0') + "zz", "needle", true, true},
        {"after a zero byte, in the next chunk", QByteArray(1, '\0') + filler(K + 10) + "needle", "needle", true, true},
        {"case folded", "xx NeEdLe xx", "needle", false, true},
        {"case kept", "xx NeEdLe xx", "needle", true, false},
        {"only a-z fold", "\xc3\x84rger", "\xc3\xa4rger", false, false},
        {"UTF-8 text exactly", "das \xc3\xa4rger", "\xc3\xa4rger", false, true},
        {"absent", filler(K * 2), "needle", false, false},
        {"text longer than the file", "nee", "needle", false, false},
    };
    int i = 0;
    for (const C& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = tmp.filePath(QStringLiteral("f%1").arg(i++));
        ASSERT_TRUE(writeFile(path, c.content));
        EXPECT_EQ(filecontains(QByteArray(c.text), path, c.caseSensitive), c.found);
    }
    EXPECT_FALSE(filecontains("x", tmp.filePath(QStringLiteral("missing")), false));
}

TEST(FileContains, ProgressIsRoundedPercentOfTheFile)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("big"));
    ASSERT_TRUE(writeFile(path, filler(200000)));
    std::vector<int> seen;
    EXPECT_FALSE(filecontains("needle", path, false, nullptr, [&](int p) { seen.push_back(p); }));
    // Chunks end at 81920, 163835 and 200000 (each later one starts 5 bytes back).
    EXPECT_EQ(seen, (std::vector<int>{41, 82, 100}));
}

namespace {

struct Fixture {
    QTemporaryDir tmp;
    QString root;
    Fixture()
    {
        root = tmp.path() + QLatin1Char('/');
        writeFile(root + "a.txt", "hello world");
        writeFile(root + "empty.txt", "");
        writeFile(root + ".hidden.txt", "hello hidden");
        writeFile(root + "b.dat", "hello data");
        writeFile(root + "sub/c.TXT", "HELLO upper");
        writeFile(root + "sub/deeper/d.txt", "nothing here");
        writeFile(root + ".secret/e.txt", "hello from a hidden directory");
        QDir().mkpath(root + "sub/txtdir.txt");
        QDir().mkpath(root + ".hiddendir.txt");
        QFile::link(root + "sub", root + "linkdir");       // not entered
        QFile::link(root + "a.txt", root + "link.txt");    // a file: described by its target
    }
};

struct SearchRun {
    std::vector<tupdateinfo> reports;
    QStringList hits() const
    {
        QStringList out;
        for (const auto& r : reports)
            if (r.isHit())
                out << r.directory + r.name;
        out.sort();
        return out;
    }
};

SearchRun runSearch(const tfilesearchsettings& s)
{
    SearchRun run;
    FileSearch fs(s, [&](const tupdateinfo& r) { run.reports.push_back(r); });
    fs.run();
    return run;
}

}  // namespace

TEST(FileSearchWalk, NamesTextFoldersAndHiddenEntries)
{
    Fixture f;
    const QString r = f.root;
    struct C {
        const char* what;
        const char* text;
        const char* pattern;
        bool caseSensitive, foldersOnly, subfolders;
        QStringList hits;
    } cases[] = {
        {"names only: empty files too, hidden files too, not inside hidden directories", "", "*.txt", false, false, true,
         {r + ".hidden.txt", r + "a.txt", r + "empty.txt", r + "link.txt", r + "sub/c.TXT", r + "sub/deeper/d.txt"}},
        {"without subfolders", "", "*.txt", false, false, false,
         {r + ".hidden.txt", r + "a.txt", r + "empty.txt", r + "link.txt"}},
        {"text: never in an empty file", "hello", "*.*", false, false, true,
         {r + ".hidden.txt", r + "a.txt", r + "b.dat", r + "link.txt", r + "sub/c.TXT"}},
        {"text, case sensitive", "HELLO", "*.*", true, false, true, {r + "sub/c.TXT"}},
        {"folders only ignores the text and skips hidden directories", "hello", "*.txt", false, true, true,
         {r + "sub/txtdir.txt"}},
        {"folders only, every name", "", "*", false, true, true,
         {r + "linkdir", r + "sub", r + "sub/deeper", r + "sub/txtdir.txt"}},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.what);
        tfilesearchsettings s;
        s.text = QString::fromUtf8(c.text);
        s.startDir = f.tmp.path();   // without the trailing "/": it is added
        s.pattern = QString::fromUtf8(c.pattern);
        s.caseSensitive = c.caseSensitive;
        s.foldersOnly = c.foldersOnly;
        s.subfolders = c.subfolders;
        const SearchRun run = runSearch(s);
        EXPECT_EQ(run.hits(), c.hits);
        for (const auto& rep : run.reports) {
            EXPECT_TRUE(rep.directory.endsWith(QLatin1Char('/')));
            if (rep.isHit() && c.foldersOnly)
                EXPECT_EQ(rep.size, 0);
        }
    }
}

TEST(FileSearchWalk, HitsCarrySizeAndTimeAndLargeSizes)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(writeFile(tmp.filePath("small.bin"), "12345"));
    QFile big(tmp.filePath("huge.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(3LL * 1024 * 1024 * 1024 + 7));   // sparse, 3 GB
    big.close();
    tfilesearchsettings s;
    s.startDir = tmp.path();
    s.pattern = "*.bin";
    const SearchRun run = runSearch(s);
    QMap<QString, qint64> sizes;
    for (const auto& r : run.reports)
        if (r.isHit()) {
            sizes[r.name] = r.size;
            EXPECT_LT(qAbs(r.modified.secsTo(QDateTime::currentDateTime())), 120);
        }
    EXPECT_EQ(sizes.value("small.bin"), 5);
    EXPECT_EQ(sizes.value("huge.bin"), 3LL * 1024 * 1024 * 1024 + 7);
}

TEST(FileSearchWalk, StatusEveryTenthDirectory)
{
    QTemporaryDir tmp;
    for (int i = 0; i < 24; ++i)
        QDir().mkpath(tmp.filePath(QStringLiteral("d%1").arg(i)));
    tfilesearchsettings s;
    s.startDir = tmp.path();
    s.pattern = "nothing-matches";
    SearchRun run;
    FileSearch fs(s, [&](const tupdateinfo& r) { run.reports.push_back(r); });
    fs.run();
    EXPECT_EQ(fs.directoriesVisited(), 25);
    ASSERT_EQ(run.reports.size(), 2u);   // at the 10th and the 20th directory
    for (const auto& r : run.reports) {
        EXPECT_FALSE(r.isHit());
        EXPECT_TRUE(r.name.isEmpty());
    }
}

TEST(FileSearchWalk, StopDuringALongFileEndsAfterTheChunk)
{
    QTemporaryDir tmp;
    // 40 MB without the text except at its very end, then more files after it.
    QByteArray big = filler(40 * 1024 * 1024);
    big.append("needle");
    ASSERT_TRUE(writeFile(tmp.filePath("long.txt"), big));
    ASSERT_TRUE(writeFile(tmp.filePath("sub/other.txt"), "needle"));
    tfilesearchsettings s;
    s.startDir = tmp.path();
    s.text = "needle";
    int longReports = 0;   // the entry's own status, then one per chunk read
    int hits = 0;
    FileSearch* self = nullptr;
    FileSearch fs(s, [&](const tupdateinfo& r) {
        if (r.isHit())
            ++hits;
        else if (r.name == QLatin1String("long.txt") && ++longReports == 2)
            self->requestStop();   // during the first chunk's report
    });
    self = &fs;
    fs.run();
    EXPECT_EQ(longReports, 2);   // no chunk was read after the stop
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(fs.directoriesVisited(), 1);   // no directory entered after the stop
}

TEST(SearchWorker, ReportsArriveSynchronouslyThenTheEnd)
{
    Fixture f;
    tfilesearchsettings s;
    s.startDir = f.tmp.path();
    s.pattern = "*.txt";
    QPointer<tfsearch> worker = new tfsearch(s);
    worker->setStatusInterval(0);
    QStringList hits;
    bool ended = false;
    int reportsAfterEnd = 0;
    QObject receiver;
    QObject::connect(worker, &tfsearch::report, &receiver, [&](const tupdateinfo& r) {
        EXPECT_EQ(QThread::currentThread(), receiver.thread());
        if (ended)
            ++reportsAfterEnd;
        if (r.isHit())
            hits << r.name;
    }, Qt::BlockingQueuedConnection);
    QObject::connect(worker, &tfsearch::searchEnded, &receiver, [&](quintptr id) {
        EXPECT_NE(id, quintptr(0));
        ended = true;
    }, Qt::QueuedConnection);
    worker->start();
    ASSERT_TRUE(zx::test::waitUntil([&] { return ended && worker.isNull(); }, 10000));
    EXPECT_EQ(reportsAfterEnd, 0);
    hits.sort();
    EXPECT_EQ(hits, (QStringList{".hidden.txt", "a.txt", "c.TXT", "d.txt", "empty.txt", "link.txt"}));
}

TEST(SearchWorker, StopBeforeTheThreadRunsStillStops)
{
    QTemporaryDir tmp;
    for (int i = 0; i < 50; ++i)
        writeFile(tmp.filePath(QStringLiteral("d%1/f.txt").arg(i)), "x");
    tfilesearchsettings s;
    s.startDir = tmp.path();
    int hits = 0;
    FileSearch fs(s, [&](const tupdateinfo& r) { hits += r.isHit(); });
    fs.requestStop();
    fs.run();
    EXPECT_EQ(hits, 0);
}
