// The copy and move engine: the chunk loop and its checks, faults injected
// through the I/O seam, overwrite choices, trees, links, moves across volumes.
#include "fileops/copyengine.h"

#include "faultyio.h"
#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace zx;
using namespace zx::test;

namespace {

QByteArray pattern(qint64 n, int seed = 1)
{
    QByteArray b(int(n), Qt::Uninitialized);
    quint32 x = 2463534242u + seed;
    for (qint64 i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[int(i)] = char(x);
    }
    return b;
}

struct stat statOf(const QString& p)
{
    struct stat st {};
    ::lstat(QFile::encodeName(p).constData(), &st);
    return st;
}

void setMtime(const QString& p, qint64 secs)
{
    const timespec t[2] = {{secs, 0}, {secs, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(p).constData(), t, AT_SYMLINK_NOFOLLOW);
}

class FileOpsEngine : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString src, dst;
    ScriptedUserInterface ui;
    ProgressState progress;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        src = tmp.filePath(QStringLiteral("src"));
        dst = tmp.filePath(QStringLiteral("dst"));
        QDir().mkpath(src);
        QDir().mkpath(dst);
    }
    QString s(const QString& n) const { return src + QLatin1Char('/') + n; }
    QString d(const QString& n) const { return dst + QLatin1Char('/') + n; }
};

// Sizes around the chunk boundary, through the kernel copy and through our
// own reads and writes: content, time and permissions arrive intact.
TEST_F(FileOpsEngine, CopiesFilesAroundTheChunkSize)
{
    const qint64 sizes[] = {0, 1, kCopyBufferSize - 1, kCopyBufferSize, kCopyBufferSize + 1,
                            3 * kCopyBufferSize + 17};
    for (bool kernel : {true, false}) {
        for (qint64 n : sizes) {
            SCOPED_TRACE(testing::Message() << "size " << n << " kernel " << kernel);
            const QString name = QStringLiteral("f%1-%2").arg(n).arg(kernel);
            const QByteArray data = pattern(n, int(n));
            ASSERT_TRUE(writeFile(s(name), data));
            ::chmod(QFile::encodeName(s(name)).constData(), 0640);
            setMtime(s(name), 1400000000);
            PosixFileIO io;
            io.copyRangeEnabled = kernel;
            Transfer t(ui, progress, &io);
            const TransferResult r = t.run({s(name)}, dst, Operation::Copy);
            EXPECT_EQ(r.filesDone, 1);
            EXPECT_EQ(readFile(d(name)), data);
            EXPECT_EQ(statOf(d(name)).st_mtim.tv_sec, 1400000000);
            EXPECT_EQ(statOf(d(name)).st_mode & 07777, 0640u);
            // Every chunk is counted when read and when written.
            EXPECT_EQ(t.processed(), 2 * n);
        }
    }
    EXPECT_TRUE(ui.log().isEmpty());
}

// A chunk may come in several short reads; the attempts are retried and no
// byte is lost.
TEST_F(FileOpsEngine, ShortReadsLoseNoBytes)
{
    const QByteArray data = pattern(2 * kCopyBufferSize + 1000);
    ASSERT_TRUE(writeFile(s(QStringLiteral("a")), data));
    FaultyIO io;
    io.maxRead = 100000;   // four reads per chunk: three count as failed attempts
    Transfer t(ui, progress, &io);
    t.run({s(QStringLiteral("a"))}, dst, Operation::Copy);
    EXPECT_EQ(readFile(d(QStringLiteral("a"))), data);
    EXPECT_TRUE(ui.log().isEmpty());
}

// Five failed attempts at a chunk are survived; the sixth gives up with the
// read error, the partial copy is removed, and OK goes on while Cancel stops.
TEST_F(FileOpsEngine, ReadFailuresAreRetriedSixTimes)
{
    struct Case {
        int failures;
        bool shortRead;
        int answer;   // -1: no question expected; 0 OK; 1 Cancel
        bool firstCopied, secondCopied;
    } cases[] = {
        {5, false, -1, true, true},
        {5, true, -1, true, true},
        {6, false, 0, false, true},
        {6, true, 0, false, true},
        {6, false, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failures << " failures, short " << c.shortRead);
        ui.clear();
        QDir(dst).removeRecursively();
        QDir().mkpath(dst);
        const QByteArray one = pattern(kCopyBufferSize + 5000, 1), two = pattern(1000, 2);
        ASSERT_TRUE(writeFile(s(QStringLiteral("one")), one));
        ASSERT_TRUE(writeFile(s(QStringLiteral("two")), two));
        FaultyIO io;
        io.readFailAt = kCopyBufferSize;   // the second chunk
        io.readFailures = c.failures;
        io.shortInsteadOfError = c.shortRead;
        if (c.answer >= 0)
            ui.expectAsk(kAskReadError, c.answer);
        Transfer t(ui, progress, &io);
        t.run({s(QStringLiteral("one")), s(QStringLiteral("two"))}, dst, Operation::Copy);
        EXPECT_EQ(ui.pendingAnswers(), 0);
        EXPECT_EQ(QFileInfo::exists(d(QStringLiteral("one"))), c.firstCopied);
        if (c.firstCopied) {
            EXPECT_EQ(readFile(d(QStringLiteral("one"))), one);
        }
        EXPECT_EQ(QFileInfo::exists(d(QStringLiteral("two"))), c.secondCopied);
        if (c.answer >= 0) {
            EXPECT_TRUE(ui.shown(QStringLiteral("File read error after 6 tries.")));
            EXPECT_TRUE(ui.shown(s(QStringLiteral("one"))));
            EXPECT_FALSE(ui.shown(QStringLiteral("not correctly copied")));
        } else {
            EXPECT_TRUE(ui.log().isEmpty());
        }
    }
}

// A full disk or a failing write ends that file with a message naming it and
// the system's reason; the partial file is removed; OK goes on, Cancel stops.
TEST_F(FileOpsEngine, WriteFailuresRemoveThePartialCopy)
{
    struct Case {
        const char* what;
        bool diskFull;
        int answer;
        const char* reason;
    } cases[] = {
        {"disk full, OK", true, 0, "No space left on device"},
        {"disk full, Cancel", true, 1, "No space left on device"},
        {"write error, OK", false, 0, "Input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.clear();
        QDir(dst).removeRecursively();
        QDir().mkpath(dst);
        ASSERT_TRUE(writeFile(s(QStringLiteral("big")), pattern(3 * kCopyBufferSize)));
        ASSERT_TRUE(writeFile(s(QStringLiteral("small")), pattern(10)));
        FaultyIO io;
        if (c.diskFull)
            io.diskSpace = kCopyBufferSize + 100;
        else
            io.writeFailAt = kCopyBufferSize + 100;
        ui.expectAsk(kAskWriteError, c.answer);
        Transfer t(ui, progress, &io);
        t.run({s(QStringLiteral("big")), s(QStringLiteral("small"))}, dst, Operation::Copy);
        EXPECT_EQ(ui.pendingAnswers(), 0);
        EXPECT_FALSE(QFileInfo::exists(d(QStringLiteral("big"))));
        EXPECT_TRUE(ui.shown(QStringLiteral("Cannot write ") + d(QStringLiteral("big"))));
        EXPECT_TRUE(ui.shown(QString::fromLatin1(c.reason)));
        // The small file fits after the partial big one is gone.
        EXPECT_EQ(QFileInfo::exists(d(QStringLiteral("small"))), c.answer == 0);
    }
}

// The byte count decides: a source that does not hold the size it was listed
// with is not left as a copy.
TEST_F(FileOpsEngine, SizeMismatchIsReportedAndRemoved)
{
    ASSERT_TRUE(writeFile(s(QStringLiteral("a")), pattern(100)));
    Transfer t(ui, progress);
    bool ok = true;
    EXPECT_TRUE(t.QCopyFile(s(QStringLiteral("a")), dst, false, 90, &ok));
    EXPECT_FALSE(ok);
    EXPECT_EQ(ui.messages(), QStringList{d(QStringLiteral("a")) + QStringLiteral(" not correctly copied")});
    EXPECT_FALSE(QFileInfo::exists(d(QStringLiteral("a"))));
}

TEST_F(FileOpsEngine, MissingSourceAndUncreatableDestination)
{
    ASSERT_TRUE(writeFile(s(QStringLiteral("gone")), "x"));
    ASSERT_TRUE(writeFile(s(QStringLiteral("b")), "b"));
    ASSERT_TRUE(writeFile(s(QStringLiteral("c")), "c"));
    // A directory of the same name where the file should go.
    QDir().mkpath(d(QStringLiteral("b")));
    const QStringList list = {s(QStringLiteral("gone")), s(QStringLiteral("b")), s(QStringLiteral("c"))};
    QFile::remove(s(QStringLiteral("gone")));
    ui.expectAsk(kAskCopyOptions, OwT);
    ui.expectAsk(kAskCannotCreate, 0);
    Transfer t(ui, progress);
    t.run(list, dst, Operation::Copy);
    EXPECT_EQ(ui.pendingAnswers(), 0);
    EXPECT_TRUE(ui.shown(QStringLiteral("Cannot open ") + s(QStringLiteral("gone")) +
                         QStringLiteral("\rNo such file or directory")));
    EXPECT_TRUE(ui.shown(QStringLiteral("Cannot create ") + d(QStringLiteral("b"))));
    EXPECT_TRUE(QFileInfo(d(QStringLiteral("b"))).isDir());
    EXPECT_EQ(readFile(d(QStringLiteral("c"))), QByteArray("c"));
}

// The sticky choices of the overwrite dialog, over three existing files.
TEST_F(FileOpsEngine, OverwriteChoices)
{
    struct Case {
        const char* what;
        QList<int> answers;                 // dialog answers in order
        QList<bool> replaced;               // per file
        bool ended;
    } cases[] = {
        {"replace all", {OwR}, {true, true, true}, false},
        {"skip all", {OwS}, {false, false, false}, false},
        {"this only, skip this, this only", {OwT, OwF, OwT}, {true, false, true}, false},
        {"cancel ends the transfer", {OwCancel}, {false, false, false}, true},
        {"replace older: only the older one", {OwU}, {true, false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.clear();
        const QStringList names = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QStringList list;
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(writeFile(s(names[i]), "new"));
            ASSERT_TRUE(writeFile(d(names[i]), "old"));
            setMtime(s(names[i]), 1600000000);
            list << s(names[i]);
        }
        setMtime(d(QStringLiteral("a")), 1500000000);   // older
        setMtime(d(QStringLiteral("b")), 1700000000);   // newer
        setMtime(d(QStringLiteral("c")), 1600000001);   // same within two seconds
        ASSERT_TRUE(writeFile(s(QStringLiteral("fresh")), "fresh"));
        list << s(QStringLiteral("fresh"));
        for (int a : c.answers)
            ui.expectAsk(kAskCopyOptions, a);
        // Through the worker thread: the questions come to this thread.
        const TransferResult r = runTransfer(ui, list, dst, Operation::Copy);
        EXPECT_EQ(ui.pendingAnswers(), 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(readFile(d(names[i])), c.replaced[i] ? QByteArray("new") : QByteArray("old")) << i;
        EXPECT_EQ(QFileInfo::exists(d(QStringLiteral("fresh"))), !c.ended);
        EXPECT_EQ(r.stopped, c.ended);
        EXPECT_TRUE(ui.shown(QStringLiteral("A file of the same name already exists:\r\"a\"")));
        QFile::remove(d(QStringLiteral("fresh")));
    }
}

TEST_F(FileOpsEngine, ReadOnlyDestinationAsksFirst)
{
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        ui.clear();
        ASSERT_TRUE(writeFile(s(QStringLiteral("r")), "new"));
        QFile::remove(d(QStringLiteral("r")));
        ASSERT_TRUE(writeFile(d(QStringLiteral("r")), "old"));
        ::chmod(QFile::encodeName(d(QStringLiteral("r"))).constData(), 0444);
        ui.expectAsk(kAskCopyOptions, OwT);
        ui.expectConfirm(yes);
        Transfer t(ui, progress);
        t.run({s(QStringLiteral("r"))}, dst, Operation::Copy);
        EXPECT_EQ(readFile(d(QStringLiteral("r"))), yes ? QByteArray("new") : QByteArray("old"));
        ASSERT_GE(ui.log().size(), 2);
        EXPECT_EQ(ui.log()[1].title, QStringLiteral("Verify"));
        EXPECT_EQ(ui.log()[1].text, QStringLiteral("Copy over read-only file\n\n") + d(QStringLiteral("r")) +
                                        QStringLiteral(" already exists \rand is marked 'READ ONLY'. \r\r"
                                                       "Are you sure you want to copy over it?"));
    }
}

TEST_F(FileOpsEngine, DestisolderComparesAtTwoSecondResolution)
{
    struct Case {
        qint64 srcTime, destTime;
        bool older;
    } cases[] = {
        {1600000000, 1500000000, true},
        {1600000000, 1600000000, false},
        {1600000001, 1600000000, false},   // same two-second slot
        {1600000004, 1600000000, true},
        {1500000000, 1600000000, false},
        {2600000000, 1600000000, true},    // after 2044: still in order
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(s(QStringLiteral("x")), "1"));
        ASSERT_TRUE(writeFile(d(QStringLiteral("x")), "2"));
        setMtime(s(QStringLiteral("x")), c.srcTime);
        setMtime(d(QStringLiteral("x")), c.destTime);
        EXPECT_EQ(destisolder(s(QStringLiteral("x")), d(QStringLiteral("x"))), c.older) << c.srcTime << " " << c.destTime;
    }
    EXPECT_FALSE(destisolder(s(QStringLiteral("x")), d(QStringLiteral("missing"))));
}

// Over itself: by name, and by another name of the same file (a hard link),
// which must not truncate the source.
TEST_F(FileOpsEngine, NeverCopiesAFileOverItself)
{
    const QByteArray data = pattern(5000);
    ASSERT_TRUE(writeFile(s(QStringLiteral("f")), data));
    ASSERT_TRUE(writeFile(s(QStringLiteral("g")), "g"));
    Transfer t(ui, progress);
    t.run({s(QStringLiteral("f")), s(QStringLiteral("g"))}, src, Operation::Copy);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Cannot copy file over itself")});

    ui.clear();
    ASSERT_EQ(::link(QFile::encodeName(s(QStringLiteral("f"))).constData(),
                     QFile::encodeName(d(QStringLiteral("f"))).constData()),
              0);
    Transfer t2(ui, progress);
    t2.run({s(QStringLiteral("f"))}, dst, Operation::Copy);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("Cannot copy file over itself")});
    EXPECT_EQ(readFile(s(QStringLiteral("f"))), data);
}

TEST_F(FileOpsEngine, RefusesADirectoryIntoItself)
{
    QDir().mkpath(s(QStringLiteral("tree/sub")));
    ASSERT_TRUE(writeFile(s(QStringLiteral("tree/sub/x")), "x"));
    for (Operation op : {Operation::Copy, Operation::Move}) {
        ui.clear();
        Transfer t(ui, progress);
        const TransferResult r = t.run({s(QStringLiteral("tree"))}, s(QStringLiteral("tree/sub")), op);
        EXPECT_TRUE(r.stopped);
        EXPECT_EQ(ui.messages(),
                  QStringList{(op == Operation::Copy ? QStringLiteral("Cannot copy ") : QStringLiteral("Cannot move ")) +
                              s(QStringLiteral("tree")) + QStringLiteral(" into itself")});
        EXPECT_FALSE(QFileInfo::exists(s(QStringLiteral("tree/sub/tree"))));
        EXPECT_TRUE(QFileInfo::exists(s(QStringLiteral("tree/sub/x"))));
    }
}

// A tree: nested directories, links copied as links, a pipe that is made
// anew and never read, permissions and times kept.
TEST_F(FileOpsEngine, CopiesTreesWithLinksPipesAndAttributes)
{
    const QString t = s(QStringLiteral("t"));
    QDir().mkpath(t + QStringLiteral("/a/b"));
    ASSERT_TRUE(writeFile(t + QStringLiteral("/a/b/deep"), pattern(400000)));
    ASSERT_TRUE(writeFile(t + QStringLiteral("/top"), "top"));
    ASSERT_EQ(::symlink("a/b/deep", QFile::encodeName(t + QStringLiteral("/link")).constData()), 0);
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(t + QStringLiteral("/dangling")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(t + QStringLiteral("/pipe")).constData(), 0600), 0);
    ::chmod(QFile::encodeName(t + QStringLiteral("/a")).constData(), 0750);
    ::chmod(QFile::encodeName(t + QStringLiteral("/top")).constData(), 0604);
    setMtime(t + QStringLiteral("/a/b"), 1300000000);
    setMtime(t + QStringLiteral("/link"), 1200000000);

    const TransferResult r = runTransfer(ui, {t}, dst, Operation::Copy);
    EXPECT_TRUE(ui.log().isEmpty());
    EXPECT_EQ(r.dirsCreated, QStringList{d(QStringLiteral("t"))});
    const QString c = d(QStringLiteral("t"));
    EXPECT_EQ(readFile(c + QStringLiteral("/a/b/deep")), pattern(400000));
    EXPECT_EQ(QFileInfo(c + QStringLiteral("/link")).symLinkTarget(), c + QStringLiteral("/a/b/deep"));
    EXPECT_TRUE(S_ISLNK(statOf(c + QStringLiteral("/link")).st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(c + QStringLiteral("/dangling")).st_mode));
    EXPECT_TRUE(S_ISFIFO(statOf(c + QStringLiteral("/pipe")).st_mode));
    EXPECT_EQ(statOf(c + QStringLiteral("/a")).st_mode & 07777, 0750u);
    EXPECT_EQ(statOf(c + QStringLiteral("/top")).st_mode & 07777, 0604u);
    EXPECT_EQ(statOf(c + QStringLiteral("/a/b")).st_mtim.tv_sec, 1300000000);
    EXPECT_EQ(statOf(c + QStringLiteral("/link")).st_mtim.tv_sec, 1200000000);
}

// Copying a tree into an existing one asks about the files that exist.
TEST_F(FileOpsEngine, MergesTreesWithTheSameQuestions)
{
    ASSERT_TRUE(writeFile(s(QStringLiteral("t/same")), "new"));
    ASSERT_TRUE(writeFile(s(QStringLiteral("t/other")), "other"));
    ASSERT_TRUE(writeFile(d(QStringLiteral("t/same")), "old"));
    ui.expectAsk(kAskCopyOptions, OwF);
    runTransfer(ui, {s(QStringLiteral("t"))}, dst, Operation::Copy);
    EXPECT_EQ(ui.pendingAnswers(), 0);
    EXPECT_EQ(readFile(d(QStringLiteral("t/same"))), QByteArray("old"));
    EXPECT_EQ(readFile(d(QStringLiteral("t/other"))), QByteArray("other"));
}

TEST_F(FileOpsEngine, OpticalSourcesLoseTheirReadOnlyState)
{
    ASSERT_TRUE(writeFile(s(QStringLiteral("ro")), "x"));
    ::chmod(QFile::encodeName(s(QStringLiteral("ro"))).constData(), 0444);
    Transfer t(ui, progress);
    t.sourceIsOptical = true;
    t.run({s(QStringLiteral("ro"))}, dst, Operation::Copy);
    EXPECT_EQ(statOf(d(QStringLiteral("ro"))).st_mode & 0777, 0644u);
}

TEST_F(FileOpsEngine, MoveWithinAVolumeRenames)
{
    ASSERT_TRUE(writeFile(s(QStringLiteral("t/x")), "x"));
    ASSERT_TRUE(writeFile(s(QStringLiteral("f")), "f"));
    const ino_t ino = statOf(s(QStringLiteral("f"))).st_ino;
    const TransferResult r = runTransfer(ui, {s(QStringLiteral("t")), s(QStringLiteral("f"))}, dst, Operation::Move);
    EXPECT_TRUE(ui.log().isEmpty());
    EXPECT_EQ(statOf(d(QStringLiteral("f"))).st_ino, ino);
    EXPECT_EQ(readFile(d(QStringLiteral("t/x"))), QByteArray("x"));
    EXPECT_FALSE(QFileInfo::exists(s(QStringLiteral("t"))));
    EXPECT_FALSE(QFileInfo::exists(s(QStringLiteral("f"))));
    EXPECT_EQ(r.dirsRemoved, QStringList{s(QStringLiteral("t"))});
    EXPECT_EQ(r.dirsCreated, QStringList{d(QStringLiteral("t"))});
}

// Two volumes: a folder in /dev/shm (tmpfs) and one beside the tests.
class FileOpsCrossVolume : public FileOpsEngine {
protected:
    QTemporaryDir shm{QStringLiteral("/dev/shm/zxfileops-XXXXXX")};
    void SetUp() override
    {
        FileOpsEngine::SetUp();
        if (!shm.isValid() || statOf(shm.path()).st_dev == statOf(tmp.path()).st_dev)
            GTEST_SKIP() << "no second file system";
        dst = shm.path();
    }
};

TEST_F(FileOpsCrossVolume, MovesCopyCheckAndThenRemove)
{
    const QString t = s(QStringLiteral("tree"));
    ASSERT_TRUE(writeFile(t + QStringLiteral("/a/one"), pattern(700000, 1)));
    ASSERT_TRUE(writeFile(t + QStringLiteral("/two"), pattern(10, 2)));
    ASSERT_EQ(::symlink("two", QFile::encodeName(t + QStringLiteral("/ln")).constData()), 0);
    ::chmod(QFile::encodeName(t + QStringLiteral("/a")).constData(), 0700);
    setMtime(t + QStringLiteral("/two"), 1234567890);
    ASSERT_TRUE(writeFile(s(QStringLiteral("file")), pattern(3000, 3)));

    const TransferResult r = runTransfer(ui, {t, s(QStringLiteral("file"))}, dst, Operation::Move);
    EXPECT_TRUE(ui.log().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(t));
    EXPECT_FALSE(QFileInfo::exists(s(QStringLiteral("file"))));
    EXPECT_EQ(readFile(d(QStringLiteral("tree/a/one"))), pattern(700000, 1));
    EXPECT_EQ(readFile(d(QStringLiteral("tree/two"))), pattern(10, 2));
    EXPECT_EQ(statOf(d(QStringLiteral("tree/two"))).st_mtim.tv_sec, 1234567890);
    EXPECT_TRUE(S_ISLNK(statOf(d(QStringLiteral("tree/ln"))).st_mode));
    EXPECT_EQ(statOf(d(QStringLiteral("tree/a"))).st_mode & 07777, 0700u);
    EXPECT_EQ(readFile(d(QStringLiteral("file"))), pattern(3000, 3));
    EXPECT_EQ(r.dirsRemoved, QStringList{t});
}

// A failed write in a move across volumes leaves that source file in place
// and no partial copy; the other files move.
TEST_F(FileOpsCrossVolume, AFailedMoveKeepsTheSource)
{
    const QString t = s(QStringLiteral("tree"));
    ASSERT_TRUE(writeFile(t + QStringLiteral("/big"), pattern(3 * kCopyBufferSize, 1)));
    ASSERT_TRUE(writeFile(t + QStringLiteral("/small"), pattern(10, 2)));
    FaultyIO io;
    io.writeFailAt = kCopyBufferSize + 1;
    ui.expectAsk(kAskWriteError, 0);
    const TransferResult r = runTransfer(ui, {t}, dst, Operation::Move, nullptr, &io);
    EXPECT_EQ(ui.pendingAnswers(), 0);
    EXPECT_EQ(readFile(t + QStringLiteral("/big")), pattern(3 * kCopyBufferSize, 1));
    EXPECT_FALSE(QFileInfo::exists(d(QStringLiteral("tree/big"))));
    EXPECT_FALSE(QFileInfo::exists(t + QStringLiteral("/small")));
    EXPECT_EQ(readFile(d(QStringLiteral("tree/small"))), pattern(10, 2));
    EXPECT_TRUE(r.dirsRemoved.isEmpty());
}

// Cancel in the middle of a file: the file is abandoned and removed, nothing
// after it is copied, and a move keeps its source.
TEST_F(FileOpsCrossVolume, CancelInTheMiddleOfAFile)
{
    for (Operation op : {Operation::Copy, Operation::Move}) {
        SCOPED_TRACE(op == Operation::Copy ? "copy" : "move");
        QDir(dst).removeRecursively();
        QDir().mkpath(dst);
        ASSERT_TRUE(writeFile(s(QStringLiteral("a")), pattern(10, 1)));
        ASSERT_TRUE(writeFile(s(QStringLiteral("b")), pattern(8 * kCopyBufferSize, 2)));
        ASSERT_TRUE(writeFile(s(QStringLiteral("c")), pattern(10, 3)));
        ProgressState state;
        FaultyIO io;
        io.afterWrite = [&](qint64 written) {
            if (written > 2 * kCopyBufferSize)
                state.cancel();
        };
        const TransferResult r =
            runTransfer(ui, {s(QStringLiteral("a")), s(QStringLiteral("b")), s(QStringLiteral("c"))}, dst, op,
                        nullptr, &io, false, &state);
        EXPECT_TRUE(r.cancelled);
        EXPECT_TRUE(ui.log().isEmpty());
        EXPECT_TRUE(QFileInfo::exists(d(QStringLiteral("a"))));
        EXPECT_FALSE(QFileInfo::exists(d(QStringLiteral("b"))));
        EXPECT_FALSE(QFileInfo::exists(d(QStringLiteral("c"))));
        EXPECT_EQ(readFile(s(QStringLiteral("b"))), pattern(8 * kCopyBufferSize, 2));
        EXPECT_TRUE(QFileInfo::exists(s(QStringLiteral("c"))));
    }
}

TEST_F(FileOpsCrossVolume, MoveOverAnExistingFileAsksFirst)
{
    ASSERT_TRUE(writeFile(s(QStringLiteral("x")), "new"));
    ASSERT_TRUE(writeFile(d(QStringLiteral("x")), "old"));
    ui.expectAsk(kAskCopyOptions, OwF);
    runTransfer(ui, {s(QStringLiteral("x"))}, dst, Operation::Move);
    EXPECT_EQ(readFile(d(QStringLiteral("x"))), QByteArray("old"));
    EXPECT_EQ(readFile(s(QStringLiteral("x"))), QByteArray("new"));
    ui.expectAsk(kAskCopyOptions, OwT);
    runTransfer(ui, {s(QStringLiteral("x"))}, dst, Operation::Move);
    EXPECT_EQ(readFile(d(QStringLiteral("x"))), QByteArray("new"));
    EXPECT_FALSE(QFileInfo::exists(s(QStringLiteral("x"))));
}

}  // namespace
