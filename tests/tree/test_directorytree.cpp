// The tree cache format both ways, look-ups, incremental search and the
// maintenance operations with their write-back.
#include "tree/directorytree.h"

#include "support/testenv.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using zx::DirectoryTree;

namespace {

// Every node as "depth|full path", depth first.
QStringList dump(const DirectoryTree& t)
{
    QStringList out;
    std::function<void(DirectoryTree::NodeId)> walk = [&](DirectoryTree::NodeId n) {
        out << QString::number(t.depth(n)) + QLatin1Char('|') + t.tvexpandname(n);
        for (auto c : t.children(n))
            walk(c);
    };
    for (auto n : t.topLevel())
        walk(n);
    return out;
}

QStringList paths(const DirectoryTree& t, const std::vector<DirectoryTree::NodeId>& nodes)
{
    QStringList out;
    for (auto n : nodes)
        out << t.tvexpandname(n);
    return out;
}

}  // namespace

struct ReadCase {
    const char* what;
    QByteArray file;
    QStringList nodes;     // expected dump
    bool ok;
    int errorLine;
};

TEST(TreeFormat, ReadingRules)
{
    const QList<ReadCase> cases = {
        {"CR LF lines, depth by spaces", "/\r\n a\r\n  b\r\n c\r\n",
         {"0|/", "1|/a", "2|/a/b", "1|/c"}, true, 0},
        {"LF alone also ends a line", "/\n a\n  b\n",
         {"0|/", "1|/a", "2|/a/b"}, true, 0},
        {"leading asterisks are leading spaces", "/\r\n *old\r\n **x*y\r\n",
         {"0|/", "1|/  x*y", "1|/ old"}, true, 0},   // sorted after loading
        {"TAB indentation, one level each, mixed with spaces", "/\r\n\ta\r\n\t b\r\n\t\t\tc\r\n",
         {"0|/", "1|/a", "2|/a/b", "3|/a/b/c"}, true, 0},
        {"the end-of-file mark stops reading", "/\r\n a\r\n\x1a\r\n b\r\n",
         {"0|/", "1|/a"}, true, 0},
        {"a climb of several levels finds the right parent", "/\r\n a\r\n  b\r\n   c\r\n d\r\n",
         {"0|/", "1|/a", "2|/a/b", "3|/a/b/c", "1|/d"}, true, 0},
        {"two volume roots", "/\r\n a\r\n/home/\r\n u\r\n",
         {"0|/", "1|/a", "0|/home/", "1|/home/u"}, true, 0},
        {"a jump of two levels stops at that line, earlier nodes stay",
         "/\r\n a\r\n   deep\r\n b\r\n", {"0|/", "1|/a"}, false, 3},
        {"an indented first line has no parent", " a\r\n/\r\n", {}, false, 1},
        {"blank lines are skipped", "/\r\n\r\n a\r\n", {"0|/", "1|/a"}, true, 0},
        {"UTF-8 names", "/\r\n Gr\xc3\xbc\xc3\x9f" "e\r\n", {"0|/", QStringLiteral("1|/Grüße")}, true, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        DirectoryTree t;
        auto r = t.loadFromBytes(c.file);
        EXPECT_EQ(r.ok, c.ok);
        if (!c.ok) {
            EXPECT_EQ(r.error, QStringLiteral("Invalid TreeNode Level"));
            EXPECT_EQ(r.line, c.errorLine);
        }
        EXPECT_EQ(dump(t), c.nodes);
        EXPECT_FALSE(t.isDirty());
    }
}

TEST(TreeFormat, WritingRoundTrip)
{
    DirectoryTree t;
    // Built in sorted order, so that reading it back (which sorts) gives the same file.
    auto root = t.appendNode(DirectoryTree::kNone, QStringLiteral("/"));
    t.appendNode(root, QStringLiteral("  "));                  // spaces only
    auto a = t.appendNode(root, QStringLiteral(" old"));      // leading space
    t.appendNode(a, QStringLiteral("in*side and space "));   // "*" and spaces inside stay
    auto home = t.appendNode(DirectoryTree::kNone, QStringLiteral("/home/"));
    t.appendNode(home, QStringLiteral("MixedCase"));

    const QByteArray expected =
        "/\r\n **\r\n *old\r\n  in*side and space \r\n/home/\r\n MixedCase\r\n";
    EXPECT_EQ(t.serialize(), expected);

    DirectoryTree back;
    ASSERT_TRUE(back.loadFromBytes(t.serialize()).ok);
    EXPECT_EQ(back.serialize(), expected);
    EXPECT_NE(back.findintree(QStringLiteral("/ old/in*side and space ")), DirectoryTree::kNone);
    EXPECT_NE(back.findintree(QStringLiteral("/home/MixedCase")), DirectoryTree::kNone);
}

TEST(TreeFormat, NamesTheFileCannotCarry)
{
    struct C { const char* name; bool storable; } cases[] = {
        {"plain", true}, {" lead", true}, {"  ", true}, {"in*side", true},
        {"*star", false}, {" *star", false}, {"\ttab", false}, {"line\nbreak", false},
        {"cr\r", false}, {"", false},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DirectoryTree::isStorableName(QString::fromUtf8(c.name)), c.storable);
    }
    // Such a name is never added, so the file it is written to stays loadable.
    DirectoryTree t;
    ASSERT_TRUE(t.loadFromBytes("/\r\n a\r\n").ok);
    EXPECT_FALSE(t.adddir(QStringLiteral("/a"), QStringLiteral("\tx")));
    EXPECT_FALSE(t.adddir(QStringLiteral("/a/*y")));
    EXPECT_TRUE(t.adddir(QStringLiteral("/a/ok")));
    DirectoryTree back;
    EXPECT_TRUE(back.loadFromBytes(t.serialize()).ok);
    EXPECT_EQ(dump(back), dump(t));
}

TEST(TreeFormat, LoadFileMissingAndMalformed)
{
    QTemporaryDir dir;
    DirectoryTree t;
    auto r = t.load_dat_file(dir.filePath(QStringLiteral("zxtree.dat")));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.missing);
    EXPECT_TRUE(t.isEmpty());

    const QString bad = dir.filePath(QStringLiteral("bad.dat"));
    ASSERT_TRUE(zx::test::writeFile(bad, "/\r\n a\r\n   b\r\n"));
    r = t.load_dat_file(bad);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.missing);
    EXPECT_EQ(t.nodeCount(), 2);
}

TEST(TreeSort, LocaleAwareOrderAfterLoad)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DirectoryTree t;
    ASSERT_TRUE(t.loadFromBytes("/\r\n c\r\n B\r\n a\r\n  z\r\n  y\r\n").ok);
    // Collation puts "a" before "B" (a byte order would put "B" first).
    EXPECT_EQ(dump(t), (QStringList{"0|/", "1|/a", "2|/a/y", "2|/a/z", "1|/B", "1|/c"}));
    QLocale::setDefault(QLocale::c());
}

TEST(TreeLookup, FindInTree)
{
    DirectoryTree t;
    ASSERT_TRUE(t.loadFromBytes("/\r\n src\r\n  lib\r\n test\r\n  lib\r\n  Lib\r\n/home/\r\n u\r\n").ok);
    struct C { const char* path; const char* found; } cases[] = {
        {"/src/lib", "/src/lib"},
        {"/test/lib", "/test/lib"},          // same name, other path
        {"/test/Lib", "/test/Lib"},          // names differ only by case: both kept apart
        {"/src/Lib", nullptr},
        {"/test/lib/", "/test/lib"},         // trailing slash ignored
        {"/", "/"},
        {"/home/", "/home/"},
        {"/home", "/home/"},                 // the root of a volume mounted there
        {"/home/u", "/home/u"},
        {"/nowhere", nullptr},
        {"", nullptr},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.path);
        auto n = t.findintree(QString::fromUtf8(c.path));
        if (c.found)
            EXPECT_EQ(t.tvexpandname(n), QString::fromUtf8(c.found));
        else
            EXPECT_EQ(n, DirectoryTree::kNone);
    }
}

TEST(TreeSearch, PrefixCapAndIndexOrder)
{
    DirectoryTree t;
    // Index order is load order, not the sorted order of the tree.
    ASSERT_TRUE(t.loadFromBytes("/\r\n zeta\r\n  Docs\r\n alpha\r\n  docs2\r\n DOCUMENTS\r\n").ok);
    EXPECT_EQ(paths(t, t.search(QStringLiteral("doc"), 1001)),
              (QStringList{"/zeta/Docs", "/alpha/docs2", "/DOCUMENTS"}));
    EXPECT_EQ(paths(t, t.search(QStringLiteral("DOCS"), 1001)), (QStringList{"/zeta/Docs", "/alpha/docs2"}));
    EXPECT_TRUE(t.search(QString(), 1001).empty());
    EXPECT_TRUE(t.search(QStringLiteral("x"), 1001).empty());
    EXPECT_EQ(t.search(QStringLiteral("d"), 2).size(), 2u);

    // Names added later come after the loaded ones; removed ones disappear.
    ASSERT_TRUE(t.adddir(QStringLiteral("/docsnew")));
    EXPECT_EQ(paths(t, t.search(QStringLiteral("doc"), 1001)).last(), QStringLiteral("/docsnew"));
    ASSERT_TRUE(t.removedir(QStringLiteral("/zeta")));
    EXPECT_EQ(paths(t, t.search(QStringLiteral("doc"), 1001)),
              (QStringList{"/alpha/docs2", "/DOCUMENTS", "/docsnew"}));
}

TEST(TreeMaintenance, AddRemoveRename)
{
    DirectoryTree t;
    ASSERT_TRUE(t.loadFromBytes("/\r\n b\r\n  x\r\n   y\r\n d\r\n").ok);

    // adddir: after the siblings (no re-sort), only under a known parent, only once.
    EXPECT_TRUE(t.adddir(QStringLiteral("/a")));
    EXPECT_TRUE(t.isDirty());
    EXPECT_FALSE(t.adddir(QStringLiteral("/a")));
    EXPECT_FALSE(t.adddir(QStringLiteral("/missing/q")));
    EXPECT_TRUE(t.adddir(QStringLiteral("/b/x"), QStringLiteral("new")));
    EXPECT_EQ(dump(t), (QStringList{"0|/", "1|/b", "2|/b/x", "3|/b/x/y", "3|/b/x/new", "1|/d", "1|/a"}));

    // changename within the parent: the subtree follows, the index knows the new name.
    EXPECT_TRUE(t.changename(QStringLiteral("/b/x"), QStringLiteral("/b/renamed")));
    EXPECT_EQ(t.findintree(QStringLiteral("/b/x")), DirectoryTree::kNone);
    EXPECT_NE(t.findintree(QStringLiteral("/b/renamed/y")), DirectoryTree::kNone);
    EXPECT_EQ(paths(t, t.search(QStringLiteral("ren"), 10)), QStringList{"/b/renamed"});
    EXPECT_TRUE(t.search(QStringLiteral("x"), 10).empty());
    // A bare new name works too.
    EXPECT_TRUE(t.changename(QStringLiteral("/b/renamed"), QStringLiteral("x2")));
    EXPECT_NE(t.findintree(QStringLiteral("/b/x2/new")), DirectoryTree::kNone);

    // changename to another known parent moves the subtree.
    EXPECT_TRUE(t.changename(QStringLiteral("/b/x2"), QStringLiteral("/d/x3")));
    EXPECT_NE(t.findintree(QStringLiteral("/d/x3/y")), DirectoryTree::kNone);
    EXPECT_TRUE(t.children(t.findintree(QStringLiteral("/b"))).empty());
    // ... into its own subtree is refused; to an unknown parent drops it.
    EXPECT_FALSE(t.changename(QStringLiteral("/d"), QStringLiteral("/d/x3/d")));
    EXPECT_TRUE(t.changename(QStringLiteral("/d/x3"), QStringLiteral("/nowhere/x3")));
    EXPECT_EQ(t.findintree(QStringLiteral("/d/x3")), DirectoryTree::kNone);
    EXPECT_TRUE(t.search(QStringLiteral("y"), 10).empty());

    // removedir takes the subtree and its index entries.
    EXPECT_TRUE(t.removedir(QStringLiteral("/d")));
    EXPECT_FALSE(t.removedir(QStringLiteral("/d")));
    EXPECT_FALSE(t.changename(QStringLiteral("/gone"), QStringLiteral("/gone2")));
    EXPECT_EQ(dump(t), (QStringList{"0|/", "1|/b", "1|/a"}));
    EXPECT_EQ(t.nodeCount(), 3);
}

TEST(TreeMaintenance, WriteBackOnlyWhenDirty)
{
    QTemporaryDir dir;
    const QString dat = dir.filePath(QStringLiteral("zxtree.dat"));
    ASSERT_TRUE(zx::test::writeFile(dat, "/\n b\n a\n"));   // as another tool might leave it
    DirectoryTree t;
    ASSERT_TRUE(t.load_dat_file(dat).ok);
    EXPECT_TRUE(t.writeBackIfDirty(dat));
    EXPECT_EQ(zx::test::readFile(dat), QByteArray("/\n b\n a\n"));   // untouched: nothing changed

    t.adddir(QStringLiteral("/a/New"));
    t.adddir(QStringLiteral("/0"));
    t.changename(QStringLiteral("/b"), QStringLiteral("/ c"));
    ASSERT_TRUE(t.writeBackIfDirty(dat));
    EXPECT_FALSE(t.isDirty());
    // The tree as it is now: loaded nodes sorted, added ones after their siblings.
    EXPECT_EQ(zx::test::readFile(dat), QByteArray("/\r\n a\r\n  New\r\n *c\r\n 0\r\n"));

    // A failed write keeps the flag so that a later attempt still saves.
    t.adddir(QStringLiteral("/z"));
    QString err;
    EXPECT_FALSE(t.writeBackIfDirty(dir.filePath(QStringLiteral("no/such/dir/zxtree.dat")), &err));
    EXPECT_TRUE(t.isDirty());
    EXPECT_FALSE(err.isEmpty());
}

TEST(TreeLookup, ManyEqualNamesStayFast)
{
    // 3000 directories all called "lib": the right one is found by its path.
    DirectoryTree t;
    auto root = t.appendNode(DirectoryTree::kNone, QStringLiteral("/"));
    for (int i = 0; i < 3000; ++i) {
        auto p = t.appendNode(root, QStringLiteral("p%1").arg(i));
        t.appendNode(p, QStringLiteral("lib"));
    }
    EXPECT_EQ(t.tvexpandname(t.findintree(QStringLiteral("/p2999/lib"))), QStringLiteral("/p2999/lib"));
    EXPECT_TRUE(t.removedir(QStringLiteral("/p0")));
    EXPECT_EQ(t.findintree(QStringLiteral("/p0/lib")), DirectoryTree::kNone);
    EXPECT_EQ(t.tvexpandname(t.findintree(QStringLiteral("/p1/lib"))), QStringLiteral("/p1/lib"));
    EXPECT_EQ(t.search(QStringLiteral("lib"), 5000).size(), 2999u);
}
