#include "platform/dirlist.h"
#include "platform/filenames.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zx::platform;

TEST(FileNames, RoundTripOfEveryByteSequence)
{
    const QByteArray cases[] = {"plain.txt", "caf\xC3\xA9", "caf\xE9", "\xFF\xFE", "a\xC3", "\xED\xA0\x80x",
                                "\xF0\x9F\x98\x80.png", "\xC0\xAF"};
    for (const QByteArray& b : cases) {
        const QString n = decodeFileName(b);
        EXPECT_EQ(encodeFileName(n), b) << b.toHex().constData();
    }
    EXPECT_EQ(decodeFileName("caf\xC3\xA9"), QStringLiteral("café"));
    EXPECT_TRUE(hasEscapedBytes(decodeFileName("caf\xE9")));
    EXPECT_EQ(displayFileName(decodeFileName("caf\xE9")), QString::fromUtf8("caf\xEF\xBF\xBD"));
}

TEST(DirList, ReadsOddEntriesWithoutFailing)
{
    QTemporaryDir tmp;
    const QByteArray base = QFile::encodeName(tmp.path());
    ASSERT_EQ(mkdir(QByteArray(base + "/sub").constData(), 0755), 0);
    ASSERT_EQ(mkfifo(QByteArray(base + "/pipe").constData(), 0644), 0);
    ASSERT_EQ(symlink("/nonexistent/target", QByteArray(base + "/broken").constData()), 0);
    ASSERT_EQ(symlink("sub", QByteArray(base + "/linkdir").constData()), 0);
    const int fd = open(QByteArray(base + "/bad\xE9name").constData(), O_CREAT | O_WRONLY, 0444);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "12345", 5), 5);
    close(fd);

    std::vector<RawEntry> out;
    ASSERT_EQ(readDirectory(tmp.path(), out), 0);
    auto find = [&out](const QString& n) -> const RawEntry* {
        for (const RawEntry& e : out)
            if (e.name == n)
                return &e;
        return nullptr;
    };
    ASSERT_TRUE(find(QStringLiteral("..")));
    const RawEntry* pipe = find(QStringLiteral("pipe"));
    ASSERT_TRUE(pipe);
    EXPECT_TRUE(pipe->attr & AttrSystem);
    const RawEntry* broken = find(QStringLiteral("broken"));
    ASSERT_TRUE(broken);
    EXPECT_FALSE(broken->isdir);
    EXPECT_TRUE(broken->attr & AttrSystem);
    const RawEntry* linkdir = find(QStringLiteral("linkdir"));
    ASSERT_TRUE(linkdir);
    EXPECT_TRUE(linkdir->isdir);
    const RawEntry* bad = find(decodeFileName("bad\xE9name"));
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->size, 5);
    EXPECT_TRUE(bad->attr & AttrReadOnly);   // the owner's write bit is off
    EXPECT_TRUE(isDirectory(tmp.path() + QStringLiteral("/linkdir")));
    EXPECT_FALSE(isDirectory(tmp.path() + QStringLiteral("/pipe")));
}

TEST(DirList, RootHasNoParentEntryAndMissingDirFails)
{
    std::vector<RawEntry> out;
    ASSERT_EQ(readDirectory(QStringLiteral("/"), out), 0);
    for (const RawEntry& e : out)
        EXPECT_NE(e.name, QStringLiteral(".."));
    out.clear();
    EXPECT_NE(readDirectory(QStringLiteral("/no/such/dir/here"), out), 0);
}

#include "platform/launch.h"

#include <QElapsedTimer>

TEST(Launch, OpeningAPipeNeitherHangsNorReadsIt)
{
    QTemporaryDir tmp;
    const QByteArray fifo = QFile::encodeName(tmp.path()) + "/pipe";
    ASSERT_EQ(mkfifo(fifo.constData(), 0644), 0);
    QElapsedTimer t;
    t.start();
    QString error;
    const bool ok = openWithDefaultApplication(QString::fromUtf8(fifo), tmp.path(), &error);
    EXPECT_LT(t.elapsed(), 10000);
    if (!ok)
        EXPECT_FALSE(error.isEmpty());
}
