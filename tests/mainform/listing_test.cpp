#include "mainform/listing.h"

#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zx;
using zx::test::writeFile;

namespace {
QStringList names(const Listing& l)
{
    QStringList out;
    for (const Entry& e : l.entries)
        out << e.name;
    return out;
}

struct Tree {
    QTemporaryDir tmp;
    QString path(const char* n) const { return tmp.path() + QLatin1Char('/') + QLatin1String(n); }
    void file(const char* n) { writeFile(path(n), "x"); }
    void dir(const char* n) { QDir().mkpath(path(n)); }
};
}  // namespace

TEST(Listing, DirectoriesFirstEachInNameOrder)
{
    Tree t;
    for (const char* f : {"b.txt", "A.txt", "c", "!bang"})
        t.file(f);
    for (const char* d : {"zeta", "Alpha", "0num"})
        t.dir(d);
    const Listing l = listDirectory(t.tmp.path(), ListOptions{});
    ASSERT_EQ(l.error, 0);
    // Lower case by default; ".." among directories by ordinal order.
    EXPECT_EQ(names(l), (QStringList{"..", "0num", "alpha", "zeta", "!bang", "a.txt", "b.txt", "c"}));
    EXPECT_EQ(l.dircount, 4);
    EXPECT_EQ(l.entries[0].typebitmap, TypePicture::UpDir);
    EXPECT_EQ(l.entries[1].typebitmap, TypePicture::Dir);
    EXPECT_EQ(l.entries[5].real, QStringLiteral("A.txt"));
}

TEST(Listing, KeepingCaseSortsWithoutRegardToCase)
{
    Tree t;
    for (const char* f : {"B", "a", "C.txt"})
        t.file(f);
    ListOptions o;
    o.showCase = true;
    const Listing l = listDirectory(t.tmp.path(), o);
    EXPECT_EQ(names(l), (QStringList{"..", "a", "B", "C.txt"}));
}

TEST(Listing, HiddenEntries)
{
    Tree t;
    t.dir(".hiddendir");
    t.file(".hidden");
    t.file("shown");
    ListOptions o;
    o.showHidden = false;
    EXPECT_EQ(names(listDirectory(t.tmp.path(), o)), (QStringList{"..", "shown"}));
    o.showHidden = true;
    EXPECT_EQ(names(listDirectory(t.tmp.path(), o)), (QStringList{"..", ".hiddendir", ".hidden", "shown"}));
}

TEST(Listing, TypePicturesByNameAnywhere)
{
    struct Case {
        const char* name;
        TypePicture pic;
    } cases[] = {{"archive.exe.bak", TypePicture::Exe}, {"run.bat", TypePicture::Bat},  {"a.doc", TypePicture::Txt},
                 {"note.TXT", TypePicture::Txt},       {"i.bmp", TypePicture::Bmp},    {"r.rtf", TypePicture::Rtf},
                 {"h.chm", TypePicture::Hlp},          {"x.dll", TypePicture::Dll},    {"plain", TypePicture::Other}};
    for (const Case& c : cases)
        EXPECT_EQ(typePictureFor(QString::fromLatin1(c.name)), c.pic) << c.name;
}

TEST(Listing, EqualNamesKeepLaterFoundFirstAndManyNamesSort)
{
    Tree t;
    // 3,000 names written in reverse order come back sorted.
    for (int i = 2999; i >= 0; --i)
        writeFile(t.tmp.path() + QStringLiteral("/f%1").arg(i, 5, 10, QLatin1Char('0')), "");
    const Listing l = listDirectory(t.tmp.path(), ListOptions{});
    ASSERT_EQ(l.entries.size(), 3001);
    for (int i = 2; i < l.entries.size(); ++i)
        ASSERT_LT(l.entries[i - 1].name, l.entries[i].name);

    // "README" and "readme" both show as "readme": both are listed.
    Tree u;
    u.file("README");
    u.file("readme");
    const Listing m = listDirectory(u.tmp.path(), ListOptions{});
    ASSERT_EQ(m.entries.size(), 3);
    EXPECT_EQ(m.entries[1].name, QStringLiteral("readme"));
    EXPECT_EQ(m.entries[2].name, QStringLiteral("readme"));
    EXPECT_NE(m.entries[1].real, m.entries[2].real);
}

TEST(Listing, UnreadableOrMissingDirectoryGivesError)
{
    EXPECT_NE(listDirectory(QStringLiteral("/no/such/dir"), ListOptions{}).error, 0);
}
