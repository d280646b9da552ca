// The full scan into zxtree.dat.
#include "tree/directorytree.h"
#include "tree/treescan.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>

using zx::DirectoryTree;

namespace {

QStringList dump(const DirectoryTree& t)
{
    QStringList out;
    std::function<void(DirectoryTree::NodeId)> walk = [&](DirectoryTree::NodeId n) {
        out << QString(t.depth(n), QLatin1Char(' ')) + t.text(n);
        for (auto c : t.children(n))
            walk(c);
    };
    for (auto n : t.topLevel())
        walk(n);
    return out;
}

void mkdirs(const QString& base, const QStringList& rel)
{
    for (const QString& r : rel)
        ASSERT_TRUE(QDir().mkpath(base + QLatin1Char('/') + r)) << r.toStdString();
}

}  // namespace

TEST(TreeScan, WritesEveryDirectoryOnceWithItsDepth)
{
    QTemporaryDir tmp;
    const QString root = tmp.path() + QLatin1Char('/');
    mkdirs(tmp.path(), {"Alpha/One/Deep", "Alpha/two", "beta", " old", ".hidden/inner", "*star/below",
                        "tab\tinside"});
    ASSERT_TRUE(zx::test::writeFile(tmp.path() + "/Alpha/file.txt", "not a directory"));
    // A link to a directory is not followed (a link to the root would loop).
    ASSERT_TRUE(QFile::link(tmp.path(), tmp.path() + "/Alpha/loop"));
    // A name with a line break cannot be stored; it and its subtree are left out.
    ASSERT_TRUE(QDir().mkpath(tmp.path() + "/bad\nname/sub"));

    const QString dat = tmp.path() + "/out/zxtree.dat";
    QDir().mkpath(tmp.path() + "/out");
    std::vector<qint64> counts;
    auto r = zx::writeTreeFile(dat, {root}, [&](qint64 c) { counts.push_back(c); });
    ASSERT_TRUE(r.ok) << r.error.toStdString();

    const QByteArray bytes = zx::test::readFile(dat);
    EXPECT_TRUE(bytes.startsWith(QByteArray(root.toUtf8() + "\r\n")));
    EXPECT_TRUE(bytes.contains("\r\n *old\r\n"));        // leading space as "*", case kept
    EXPECT_TRUE(bytes.contains("\r\n Alpha\r\n"));
    EXPECT_FALSE(bytes.contains("star"));
    EXPECT_FALSE(bytes.contains("bad"));
    EXPECT_FALSE(bytes.contains("loop"));
    EXPECT_FALSE(bytes.contains("file.txt"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));

    QLocale::setDefault(QLocale::c());
    DirectoryTree t;
    ASSERT_TRUE(t.load_dat_file(dat).ok);
    EXPECT_EQ(dump(t), (QStringList{root, "  old", " .hidden", "  inner", " Alpha", "  One", "   Deep", "  two",
                                    " beta", " out", " tab\tinside"}));
    // 10 directories below the root: one count report at 10.
    EXPECT_EQ(r.directories, 10);
    EXPECT_EQ(counts, std::vector<qint64>{10});
    EXPECT_NE(t.findintree(root + "Alpha/One/Deep"), DirectoryTree::kNone);
    EXPECT_NE(t.findintree(root + " old"), DirectoryTree::kNone);
}

TEST(TreeScan, SeveralRootsInOrderAndMissingRoot)
{
    QTemporaryDir a, b;
    mkdirs(a.path(), {"x"});
    mkdirs(b.path(), {"y/z"});
    const QString ra = a.path() + "/", rb = b.path() + "/";
    qint64 n = 0;
    const QByteArray bytes = zx::scanTreeBytes({rb, ra, "/no/such/root/"}, &n);
    EXPECT_EQ(bytes, (rb + "\r\n y\r\n  z\r\n" + ra + "\r\n x\r\n/no/such/root/\r\n").toUtf8());
    EXPECT_EQ(n, 3);
}

TEST(TreeScan, CancelKeepsTheOldFile)
{
    QTemporaryDir tmp;
    for (int i = 0; i < 30; ++i)
        mkdirs(tmp.path(), {QStringLiteral("d%1").arg(i)});
    const QString dat = tmp.path() + "/zxtree.dat";
    ASSERT_TRUE(zx::test::writeFile(dat, "/old/\r\n"));
    std::atomic<bool> cancel{false};
    auto r = zx::writeTreeFile(dat, {tmp.path() + "/"}, [&](qint64) { cancel = true; }, &cancel);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(zx::test::readFile(dat), QByteArray("/old/\r\n"));

    // A file that cannot be created is reported, not thrown.
    r = zx::writeTreeFile(tmp.path() + "/missing/dir/zxtree.dat", {tmp.path() + "/"});
    EXPECT_FALSE(r.ok);
}

TEST(TreeScan, StaysOnItsFileSystem)
{
    QTemporaryDir tmp;
    mkdirs(tmp.path(), {"mnt", "plain"});
    const QByteArray mp = QFile::encodeName(tmp.path() + "/mnt");
    if (mount("zxtest", mp.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    QDir().mkpath(tmp.path() + "/mnt/inside");
    const QByteArray bytes = zx::scanTreeBytes({tmp.path() + "/"});
    umount(mp.constData());
    EXPECT_TRUE(bytes.contains("\r\n mnt\r\n"));       // the mount point is listed ...
    EXPECT_FALSE(bytes.contains("inside"));            // ... but not entered
    EXPECT_TRUE(bytes.contains("\r\n plain\r\n"));
}
